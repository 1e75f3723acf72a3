// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class ArrayIndexOutOfBoundsException extends IndexOutOfBoundsException {
    public ArrayIndexOutOfBoundsException() {}
    public ArrayIndexOutOfBoundsException(String s) {}
}
