// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class ArrayStoreException extends RuntimeException {
    public ArrayStoreException() {}
    public ArrayStoreException(String s) {}
}
