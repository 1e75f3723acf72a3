// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

import java.awt.image.BufferedImage;
import java.util.List;

/**
 * Desktop Canvas. Keys are delivered with harnessKey; paint runs when the
 * harness renders the screen, which clears the repaint request.
 */
public abstract class Canvas extends Displayable {
    public static final int UP = 1;
    public static final int DOWN = 6;
    public static final int LEFT = 2;
    public static final int RIGHT = 5;
    public static final int FIRE = 8;
    public static final int GAME_A = 9;
    public static final int GAME_B = 10;
    public static final int GAME_C = 11;
    public static final int GAME_D = 12;
    public static final int KEY_NUM0 = 48;
    public static final int KEY_NUM1 = 49;
    public static final int KEY_NUM2 = 50;
    public static final int KEY_NUM3 = 51;
    public static final int KEY_NUM4 = 52;
    public static final int KEY_NUM5 = 53;
    public static final int KEY_NUM6 = 54;
    public static final int KEY_NUM7 = 55;
    public static final int KEY_NUM8 = 56;
    public static final int KEY_NUM9 = 57;
    public static final int KEY_STAR = 42;
    public static final int KEY_POUND = 35;

    /* Key codes by keypad: soft left, soft right, up, down, left, right, fire. */
    public static final int[][] HARNESS_CODES = {{-6, -7, -1, -2, -3, -4, -5}, {-21, -22, -1, -6, -2, -5, -20}};
    private static final int[] ACTIONS = {0, 0, UP, DOWN, LEFT, RIGHT, FIRE};
    public static final int PRESS = 0, REPEAT = 1, RELEASE = 2;
    private volatile boolean repaintRequested = true;

    protected Canvas() {}

    public boolean isDoubleBuffered() {
        return true;
    }

    public boolean hasPointerEvents() {
        return false;
    }

    public boolean hasPointerMotionEvents() {
        return false;
    }

    public boolean hasRepeatEvents() {
        return Display.repeats;
    }

    public int getKeyCode(int gameAction) {
        for (int i = 2; i < ACTIONS.length; i++) {
            if (ACTIONS[i] == gameAction) {
                return HARNESS_CODES[Display.keypad][i];
            }
        }
        throw new IllegalArgumentException("game action " + gameAction);
    }

    public String getKeyName(int keyCode) {
        return String.valueOf(keyCode);
    }

    /** Like many phones: 2 4 6 8 5 double as arrows and fire; unknown codes throw. */
    public int getGameAction(int keyCode) {
        switch (keyCode) {
            case KEY_NUM2: return UP;
            case KEY_NUM8: return DOWN;
            case KEY_NUM4: return LEFT;
            case KEY_NUM6: return RIGHT;
            case KEY_NUM5: return FIRE;
            case KEY_NUM7: return GAME_A;
            case KEY_NUM9: return GAME_B;
            case KEY_STAR: return GAME_C;
            case KEY_POUND: return GAME_D;
            case KEY_NUM0: case KEY_NUM1: case KEY_NUM3: return 0;
            default:
        }
        int[] codes = HARNESS_CODES[Display.keypad];
        for (int i = 0; i < codes.length; i++) {
            if (codes[i] == keyCode) {
                return ACTIONS[i];
            }
        }
        throw new IllegalArgumentException("key code " + keyCode);
    }

    protected void keyPressed(int keyCode) {}

    protected void keyRepeated(int keyCode) {}

    protected void keyReleased(int keyCode) {}

    protected void pointerPressed(int x, int y) {}

    protected void pointerReleased(int x, int y) {}

    protected void pointerDragged(int x, int y) {}

    public final void repaint(int x, int y, int width, int height) {
        repaintRequested = true;
    }

    public final void repaint() {
        repaintRequested = true;
    }

    public final void serviceRepaints() {}

    protected void showNotify() {}

    protected void hideNotify() {}

    protected abstract void paint(Graphics g);

    public int getWidth() {
        return Display.width;
    }

    public int getHeight() {
        return Display.height;
    }

    public void harnessKey(int kind, int keyCode) {
        switch (kind) {
            case PRESS -> keyPressed(keyCode);
            case REPEAT -> keyRepeated(keyCode);
            default -> keyReleased(keyCode);
        }
    }

    public boolean harnessRepaintRequested() {
        return repaintRequested;
    }

    /** Paints the canvas into a fresh screen image, recording the text drawn. */
    public BufferedImage harnessPaint(List<Graphics.Text> texts) {
        BufferedImage img = new BufferedImage(getWidth(), getHeight(), BufferedImage.TYPE_INT_RGB);
        Graphics g = new Graphics(img, texts);
        repaintRequested = false;
        paint(g);
        g.dispose();
        return img;
    }
}
