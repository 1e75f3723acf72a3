// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class IllegalAccessException extends Exception {
    public IllegalAccessException() {}
    public IllegalAccessException(String s) {}
}
