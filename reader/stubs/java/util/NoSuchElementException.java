// SPDX-License-Identifier: GPL-3.0-or-later
package java.util;

public class NoSuchElementException extends RuntimeException {
    public NoSuchElementException() {}
    public NoSuchElementException(String s) {}
}
