// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class NegativeArraySizeException extends RuntimeException {
    public NegativeArraySizeException() {}
    public NegativeArraySizeException(String s) {}
}
