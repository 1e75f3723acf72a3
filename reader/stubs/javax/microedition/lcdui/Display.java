// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

public class Display {
    private Display() {}
    public static native Display getDisplay(javax.microedition.midlet.MIDlet m);
    public native boolean isColor();
    public native int numColors();
    public native Displayable getCurrent();
    public native void setCurrent(Displayable nextDisplayable);
    public native void callSerially(Runnable r);
}
