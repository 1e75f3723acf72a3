// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class EOFException extends IOException {
    public EOFException() {}
    public EOFException(String s) {}
}
