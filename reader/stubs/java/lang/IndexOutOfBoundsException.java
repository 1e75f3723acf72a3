// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class IndexOutOfBoundsException extends RuntimeException {
    public IndexOutOfBoundsException() {}
    public IndexOutOfBoundsException(String s) {}
}
