// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.image.BufferedImage;
import java.util.List;

/**
 * Desktop Graphics on a BufferedImage. Text is drawn without anti-aliasing,
 * like a phone, and every piece of text drawn is recorded with its place.
 */
public class Graphics {
    public static final int HCENTER = 1;
    public static final int VCENTER = 2;
    public static final int LEFT = 4;
    public static final int RIGHT = 8;
    public static final int TOP = 16;
    public static final int BOTTOM = 32;
    public static final int BASELINE = 64;
    public static final int SOLID = 0;
    public static final int DOTTED = 1;

    /**
     * A piece of text as drawn: top-left corner in screen pixels, colour, and
     * the columns of the clip it was drawn in (what of it can be seen).
     */
    public record Text(int x, int y, int width, String text, int color, int clipX, int clipWidth) {
        /** Whether all of the text lies inside its clip, so that all of it can be read. */
        public boolean whole() {
            return x >= clipX && x + width <= clipX + clipWidth;
        }
    }

    private final Graphics2D g;
    private final List<Text> texts;
    private final int width, height;
    private int tx, ty, color, stroke;
    private int cx, cy, cw, ch;
    private Font font = Font.getDefaultFont();

    Graphics(BufferedImage img, List<Text> texts) {
        g = img.createGraphics();
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING, RenderingHints.VALUE_TEXT_ANTIALIAS_OFF);
        g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_OFF);
        this.texts = texts;
        width = img.getWidth();
        height = img.getHeight();
        cw = width;
        ch = height;
        g.setColor(Color.BLACK);
    }

    void dispose() {
        g.dispose();
    }

    public void translate(int x, int y) {
        tx += x;
        ty += y;
        g.translate(x, y);
        cx -= x;
        cy -= y;
    }

    public int getTranslateX() {
        return tx;
    }

    public int getTranslateY() {
        return ty;
    }

    public int getColor() {
        return color;
    }

    public int getRedComponent() {
        return color >> 16 & 255;
    }

    public int getGreenComponent() {
        return color >> 8 & 255;
    }

    public int getBlueComponent() {
        return color & 255;
    }

    public int getGrayScale() {
        return (getRedComponent() + getGreenComponent() + getBlueComponent()) / 3;
    }

    public void setColor(int red, int green, int blue) {
        if ((red | green | blue) < 0 || red > 255 || green > 255 || blue > 255) {
            throw new IllegalArgumentException();
        }
        setColor(red << 16 | green << 8 | blue);
    }

    public void setColor(int rgb) {
        color = rgb & 0xFFFFFF;
        g.setColor(new Color(color));
    }

    public void setGrayScale(int value) {
        setColor(value, value, value);
    }

    public Font getFont() {
        return font;
    }

    public void setStrokeStyle(int style) {
        stroke = style;
    }

    public int getStrokeStyle() {
        return stroke;
    }

    public void setFont(Font f) {
        font = f == null ? Font.getDefaultFont() : f;
    }

    public int getClipX() {
        return cx;
    }

    public int getClipY() {
        return cy;
    }

    public int getClipWidth() {
        return cw;
    }

    public int getClipHeight() {
        return ch;
    }

    public void clipRect(int x, int y, int w, int h) {
        int x2 = Math.min(cx + cw, x + w), y2 = Math.min(cy + ch, y + h);
        cx = Math.max(cx, x);
        cy = Math.max(cy, y);
        cw = Math.max(0, x2 - cx);
        ch = Math.max(0, y2 - cy);
        g.setClip(cx, cy, cw, ch);
    }

    /** Replaces the clip; a rectangle of no width or height lets nothing be drawn. */
    public void setClip(int x, int y, int w, int h) {
        cx = x;
        cy = y;
        cw = Math.max(0, w);
        ch = Math.max(0, h);
        g.setClip(cx, cy, cw, ch);
    }

    public void drawLine(int x1, int y1, int x2, int y2) {
        g.drawLine(x1, y1, x2, y2);
    }

    public void fillRect(int x, int y, int w, int h) {
        g.fillRect(x, y, w, h);
    }

    public void drawRect(int x, int y, int w, int h) {
        g.drawRect(x, y, w, h);
    }

    public void drawRoundRect(int x, int y, int w, int h, int aw, int ah) {
        g.drawRoundRect(x, y, w, h, aw, ah);
    }

    public void fillRoundRect(int x, int y, int w, int h, int aw, int ah) {
        g.fillRoundRect(x, y, w, h, aw, ah);
    }

    public void fillArc(int x, int y, int w, int h, int start, int arc) {
        g.fillArc(x, y, w, h, start, arc);
    }

    public void drawArc(int x, int y, int w, int h, int start, int arc) {
        g.drawArc(x, y, w, h, start, arc);
    }

    public void drawString(String str, int x, int y, int anchor) {
        text(str, x, y, anchor);
    }

    public void drawSubstring(String str, int offset, int len, int x, int y, int anchor) {
        text(str.substring(offset, offset + len), x, y, anchor);
    }

    public void drawChar(char character, int x, int y, int anchor) {
        text(String.valueOf(character), x, y, anchor);
    }

    public void drawChars(char[] data, int offset, int length, int x, int y, int anchor) {
        text(new String(data, offset, length), x, y, anchor);
    }

    private void text(String s, int x, int y, int anchor) {
        if (s == null) {
            throw new NullPointerException();
        }
        if (anchor == 0) {
            anchor = TOP | LEFT;
        }
        if ((anchor & VCENTER) != 0 || Integer.bitCount(anchor & (HCENTER | LEFT | RIGHT)) != 1
                || Integer.bitCount(anchor & (TOP | BOTTOM | BASELINE)) != 1 || (anchor & ~0x7F) != 0) {
            throw new IllegalArgumentException("text anchor " + anchor);
        }
        int w = font.metrics.stringWidth(s);
        if ((anchor & HCENTER) != 0) {
            x -= w / 2;
        } else if ((anchor & RIGHT) != 0) {
            x -= w;
        }
        int ascent = font.metrics.getAscent();
        if ((anchor & BASELINE) != 0) {
            y -= ascent;
        } else if ((anchor & BOTTOM) != 0) {
            y -= font.getHeight();
        }
        g.setFont(font.awt);
        g.drawString(s, x, y + ascent);
        if (texts != null && x < cx + cw && x + w > cx && y < cy + ch && y + font.getHeight() > cy) {
            texts.add(new Text(x + tx, y + ty, w, s, color, cx + tx, cw));
        }
    }

    public void drawImage(Image img, int x, int y, int anchor) {
        if ((anchor & HCENTER) != 0) {
            x -= img.getWidth() / 2;
        } else if ((anchor & RIGHT) != 0) {
            x -= img.getWidth();
        }
        if ((anchor & VCENTER) != 0) {
            y -= img.getHeight() / 2;
        } else if ((anchor & BOTTOM) != 0) {
            y -= img.getHeight();
        }
        g.drawImage(img.img, x, y, null);
    }
}
