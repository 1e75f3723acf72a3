// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class RuntimeException extends Exception {
    public RuntimeException() {}
    public RuntimeException(String s) {}
}
