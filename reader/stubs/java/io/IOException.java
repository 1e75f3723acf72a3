// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class IOException extends Exception {
    public IOException() {}
    public IOException(String s) {}
}
