// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class ClassCastException extends RuntimeException {
    public ClassCastException() {}
    public ClassCastException(String s) {}
}
