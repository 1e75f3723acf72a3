// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class Exception extends Throwable {
    public Exception() {}
    public Exception(String s) {}
}
