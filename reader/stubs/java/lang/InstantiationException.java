// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class InstantiationException extends Exception {
    public InstantiationException() {}
    public InstantiationException(String s) {}
}
