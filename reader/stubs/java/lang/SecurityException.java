// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class SecurityException extends RuntimeException {
    public SecurityException() {}
    public SecurityException(String s) {}
}
