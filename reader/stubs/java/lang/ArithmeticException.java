// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class ArithmeticException extends RuntimeException {
    public ArithmeticException() {}
    public ArithmeticException(String s) {}
}
