// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public final class Long {
    public static final long MIN_VALUE = 0x8000000000000000L;
    public static final long MAX_VALUE = 0x7fffffffffffffffL;
    public Long(long value) {}
    public static native String toString(long i, int radix);
    public static native String toString(long i);
    public static native long parseLong(String s, int radix) throws NumberFormatException;
    public static native long parseLong(String s) throws NumberFormatException;
    public native long longValue();
    public native String toString();
    public native int hashCode();
    public native boolean equals(Object obj);
}
