// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class Thread implements Runnable {
    public static final int MIN_PRIORITY = 1;
    public static final int NORM_PRIORITY = 5;
    public static final int MAX_PRIORITY = 10;
    public Thread() {}
    public Thread(Runnable target) {}
    public static native Thread currentThread();
    public static native void yield();
    public static native void sleep(long millis) throws InterruptedException;
    public native void start();
    public native void run();
    public final native boolean isAlive();
    public final native void setPriority(int newPriority);
    public final native int getPriority();
    public static native int activeCount();
    public final native void join() throws InterruptedException;
    public native String toString();
}
