// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class NumberFormatException extends IllegalArgumentException {
    public NumberFormatException() {}
    public NumberFormatException(String s) {}
}
