// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class IllegalMonitorStateException extends RuntimeException {
    public IllegalMonitorStateException() {}
    public IllegalMonitorStateException(String s) {}
}
