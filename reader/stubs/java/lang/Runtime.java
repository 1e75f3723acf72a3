// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class Runtime {
    private Runtime() {}
    public static native Runtime getRuntime();
    public native void exit(int status);
    public native long freeMemory();
    public native long totalMemory();
    public native void gc();
}
