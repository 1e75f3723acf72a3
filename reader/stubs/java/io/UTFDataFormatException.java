// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class UTFDataFormatException extends IOException {
    public UTFDataFormatException() {}
    public UTFDataFormatException(String s) {}
}
