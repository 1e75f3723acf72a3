// SPDX-License-Identifier: GPL-3.0-or-later
package java.util;

public class Timer {
    public Timer() {}
    public native void schedule(TimerTask task, long delay);
    public native void schedule(TimerTask task, long delay, long period);
    public native void scheduleAtFixedRate(TimerTask task, long delay, long period);
    public native void cancel();
}
