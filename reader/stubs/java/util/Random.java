// SPDX-License-Identifier: GPL-3.0-or-later
package java.util;

public class Random {
    public Random() {}
    public Random(long seed) {}
    public native synchronized void setSeed(long seed);
    public native int nextInt();
    public native long nextLong();
}
