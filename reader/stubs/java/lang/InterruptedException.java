// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class InterruptedException extends Exception {
    public InterruptedException() {}
    public InterruptedException(String s) {}
}
