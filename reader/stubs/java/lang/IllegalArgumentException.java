// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class IllegalArgumentException extends RuntimeException {
    public IllegalArgumentException() {}
    public IllegalArgumentException(String s) {}
}
