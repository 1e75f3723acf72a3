// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class NullPointerException extends RuntimeException {
    public NullPointerException() {}
    public NullPointerException(String s) {}
}
