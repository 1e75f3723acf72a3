package java.util;

public class Timer {
    public Timer() {}
    public native void schedule(TimerTask task, long delay);
    public native void schedule(TimerTask task, long delay, long period);
    public native void scheduleAtFixedRate(TimerTask task, long delay, long period);
    public native void cancel();
}
