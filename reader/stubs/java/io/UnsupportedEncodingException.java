// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class UnsupportedEncodingException extends IOException {
    public UnsupportedEncodingException() {}
    public UnsupportedEncodingException(String s) {}
}
