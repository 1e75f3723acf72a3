// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public final class Byte {
    public static final byte MIN_VALUE = -128;
    public static final byte MAX_VALUE = 127;
    public Byte(byte value) {}
    public static native byte parseByte(String s) throws NumberFormatException;
    public static native byte parseByte(String s, int radix) throws NumberFormatException;
    public native byte byteValue();
    public native String toString();
    public native int hashCode();
    public native boolean equals(Object obj);
}
