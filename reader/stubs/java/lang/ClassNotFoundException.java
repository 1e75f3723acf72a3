// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class ClassNotFoundException extends Exception {
    public ClassNotFoundException() {}
    public ClassNotFoundException(String s) {}
}
