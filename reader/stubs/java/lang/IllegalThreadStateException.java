// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class IllegalThreadStateException extends IllegalArgumentException {
    public IllegalThreadStateException() {}
    public IllegalThreadStateException(String s) {}
}
