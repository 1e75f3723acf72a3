// SPDX-License-Identifier: GPL-3.0-or-later
package vamo.harness;

import java.awt.image.BufferedImage;
import java.io.Closeable;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.jar.JarFile;
import java.util.zip.ZipEntry;

import javax.microedition.lcdui.Canvas;
import javax.microedition.lcdui.Display;
import javax.microedition.lcdui.Displayable;
import javax.microedition.lcdui.Graphics;
import javax.microedition.midlet.MIDlet;

/**
 * A phone on the desktop: installs a MIDlet suite JAR, starts the MIDlet the
 * manifest names, presses keys and shows what the MIDlet draws.
 *
 * The suite's classes are loaded from the JAR alone (the harness supplies only
 * the MIDP classes), so the MIDlet finds its resources exactly as on a phone.
 */
public final class Phone implements Closeable {
    public static final int SOFT_LEFT = 0, SOFT_RIGHT = 1, UP = 2, DOWN = 3, LEFT = 4, RIGHT = 5, FIRE = 6;
    private final URLClassLoader loader;
    private final MIDlet midlet;
    private final int keypad;
    private final Map<String, String> manifest = new HashMap<>();
    private boolean killed;

    public Phone(Path jar) throws Exception {
        this(jar, Display.NOKIA, 240, 320, true);
    }

    public Phone(Path jar, int keypad, int width, int height, boolean repeatEvents) throws Exception {
        this.keypad = keypad;
        try (JarFile j = new JarFile(jar.toFile())) {
            ZipEntry m = j.getEntry("META-INF/MANIFEST.MF");
            if (m == null) {
                throw new IOException("no manifest in " + jar);
            }
            try (InputStream in = j.getInputStream(m)) {
                for (String line : new String(in.readAllBytes(), StandardCharsets.UTF_8).split("\r?\n")) {
                    int colon = line.indexOf(": ");
                    if (colon > 0) {
                        manifest.put(line.substring(0, colon), line.substring(colon + 2));
                    }
                }
            }
        }
        String[] midlet1 = manifest.getOrDefault("MIDlet-1", "").split(",");
        if (midlet1.length != 3) {
            throw new IOException("MIDlet-1 does not name a MIDlet: " + manifest.get("MIDlet-1"));
        }
        Display.harnessScreen(width, height, keypad, repeatEvents);
        loader = new URLClassLoader(new URL[] {jar.toUri().toURL()}, Phone.class.getClassLoader());
        Thread.currentThread().setContextClassLoader(loader);
        MIDlet.harnessProperties(manifest);
        midlet = (MIDlet) loader.loadClass(midlet1[2].trim()).getDeclaredConstructor().newInstance();
    }

    /** The MIDlet object itself, for tests that look into it. */
    public Object midlet() {
        return midlet;
    }

    public String property(String key) {
        return manifest.get(key);
    }

    public Phone start() throws Exception {
        midlet.harnessStart();
        return this;
    }

    public void pause() {
        midlet.harnessPause();
    }

    /**
     * Ends the MIDlet as a dead battery or the phone's task killer does: no
     * pauseApp, no destroyApp; the threads it started are interrupted.
     */
    public void kill() throws IOException {
        for (Thread t : Thread.getAllStackTraces().keySet()) {
            if (t != Thread.currentThread() && t.getContextClassLoader() == loader) {
                t.interrupt();
            }
        }
        killed = true;
        loader.close();
    }

    public boolean destroyed() {
        return midlet.harnessDestroyed();
    }

    public Displayable current() {
        return Display.getDisplay(midlet).getCurrent();
    }

    private Canvas canvas() {
        if (!(current() instanceof Canvas c)) {
            throw new IllegalStateException("the MIDlet shows no Canvas");
        }
        return c;
    }

    /** The key code of a key of this phone's keypad (SOFT_LEFT ... FIRE). */
    public int code(int key) {
        return Canvas.HARNESS_CODES[keypad][key];
    }

    /** Presses and releases a key given by its key code. */
    public Phone press(int keyCode) {
        canvas().harnessKey(Canvas.PRESS, keyCode);
        canvas().harnessKey(Canvas.RELEASE, keyCode);
        return this;
    }

    /** Presses a key of the keypad (SOFT_LEFT ... FIRE). */
    public Phone key(int key) {
        return press(code(key));
    }

    /** Presses the key of a character: 0-9, * or #. */
    public Phone key(char c) {
        return press(c);
    }

    public void keyDown(int keyCode) {
        canvas().harnessKey(Canvas.PRESS, keyCode);
    }

    public void keyRepeat(int keyCode) {
        canvas().harnessKey(Canvas.REPEAT, keyCode);
    }

    public void keyUp(int keyCode) {
        canvas().harnessKey(Canvas.RELEASE, keyCode);
    }

    /** Fires a command by its label, as phones that show commands do. */
    public boolean command(String label) {
        return current().harnessFire(label);
    }

    public boolean repaintRequested() {
        return canvas().harnessRepaintRequested();
    }

    /** Paints the current screen. */
    public Screen screen() {
        List<Graphics.Text> texts = new ArrayList<>();
        BufferedImage img = canvas().harnessPaint(texts);
        return new Screen(img, texts);
    }

    @Override
    public void close() throws IOException {
        try {
            if (!killed && !midlet.harnessDestroyed()) {
                midlet.harnessDestroy();
            }
        } catch (Exception e) {
            throw new IOException(e);
        } finally {
            loader.close();
        }
    }
}
