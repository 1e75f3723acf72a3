// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

import java.util.IdentityHashMap;
import java.util.Map;

import javax.microedition.midlet.MIDlet;

/**
 * Desktop display. The screen the harness emulates (size, keypad, repeat
 * events) is set with harnessScreen before a MIDlet starts.
 */
public class Display {
    /** Keypad families: soft keys and arrows have different codes. */
    public static final int NOKIA = 0, MOTO = 1;
    static int width = 240, height = 320, keypad = NOKIA;
    static boolean repeats = true;
    private static final Map<MIDlet, Display> DISPLAYS = new IdentityHashMap<>();
    private Displayable current;

    private Display() {}

    public static synchronized void harnessScreen(int w, int h, int pad, boolean repeatEvents) {
        width = w;
        height = h;
        keypad = pad;
        repeats = repeatEvents;
    }

    public static synchronized Display getDisplay(MIDlet m) {
        if (m == null) {
            throw new NullPointerException();
        }
        return DISPLAYS.computeIfAbsent(m, k -> new Display());
    }

    public boolean isColor() {
        return true;
    }

    public int numColors() {
        return 1 << 16;
    }

    public Displayable getCurrent() {
        return current;
    }

    public void setCurrent(Displayable next) {
        if (next == null || next == current) {
            return;
        }
        Displayable old = current;
        current = next;
        if (old != null) {
            old.shown = false;
            if (old instanceof Canvas c) {
                c.hideNotify();
            }
        }
        next.shown = true;
        if (next instanceof Canvas c) {
            c.showNotify();
        }
    }

    public void callSerially(Runnable r) {
        r.run();
    }
}
