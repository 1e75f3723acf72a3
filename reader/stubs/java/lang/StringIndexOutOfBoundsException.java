// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class StringIndexOutOfBoundsException extends IndexOutOfBoundsException {
    public StringIndexOutOfBoundsException() {}
    public StringIndexOutOfBoundsException(String s) {}
}
