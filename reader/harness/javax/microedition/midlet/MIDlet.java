// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.midlet;

import java.util.HashMap;
import java.util.Map;

/**
 * Desktop MIDlet: the application properties come from the suite's manifest,
 * handed over by the harness before the MIDlet is constructed. The harness*
 * methods are the desktop's way in; a phone has no such methods.
 */
public abstract class MIDlet {
    private static Map<String, String> nextProperties = new HashMap<>();
    private final Map<String, String> properties;
    private volatile boolean destroyed;

    protected MIDlet() {
        properties = nextProperties;
    }

    public static void harnessProperties(Map<String, String> p) {
        nextProperties = p;
    }

    protected abstract void startApp() throws MIDletStateChangeException;

    protected abstract void pauseApp();

    protected abstract void destroyApp(boolean unconditional) throws MIDletStateChangeException;

    public final void notifyDestroyed() {
        destroyed = true;
    }

    public final void notifyPaused() {}

    public final String getAppProperty(String key) {
        return properties.get(key);
    }

    public final void resumeRequest() {}

    public final void harnessStart() throws MIDletStateChangeException {
        startApp();
    }

    public final void harnessPause() {
        pauseApp();
    }

    public final void harnessDestroy() throws MIDletStateChangeException {
        destroyApp(true);
        destroyed = true;
    }

    public final boolean harnessDestroyed() {
        return destroyed;
    }
}
