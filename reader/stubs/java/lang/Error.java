// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class Error extends Throwable {
    public Error() {}
    public Error(String s) {}
}
