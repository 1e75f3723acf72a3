// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class InterruptedIOException extends IOException {
    public InterruptedIOException() {}
    public InterruptedIOException(String s) {}
}
