// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public final class Boolean {
    public Boolean(boolean value) {}
    public native boolean booleanValue();
    public native String toString();
    public native int hashCode();
    public native boolean equals(Object obj);
}
