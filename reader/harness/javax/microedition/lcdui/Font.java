// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

import java.awt.FontMetrics;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.image.BufferedImage;
import java.util.HashMap;
import java.util.Map;

/**
 * Desktop font: WenQuanYi Micro Hei at the pixel sizes of a 240x320 phone,
 * measured with the desktop's font metrics.
 */
public final class Font {
    public static final int STYLE_PLAIN = 0;
    public static final int STYLE_BOLD = 1;
    public static final int STYLE_ITALIC = 2;
    public static final int STYLE_UNDERLINED = 4;
    public static final int SIZE_SMALL = 8;
    public static final int SIZE_MEDIUM = 0;
    public static final int SIZE_LARGE = 16;
    public static final int FACE_SYSTEM = 0;
    public static final int FACE_MONOSPACE = 32;
    public static final int FACE_PROPORTIONAL = 64;
    public static final String HARNESS_FAMILY = "WenQuanYi Micro Hei";
    private static final Map<Integer, Font> FONTS = new HashMap<>();
    private static final Graphics2D MEASURE = new BufferedImage(1, 1, BufferedImage.TYPE_INT_RGB).createGraphics();
    private final int face, style, size;
    final java.awt.Font awt;
    final FontMetrics metrics;

    private Font(int face, int style, int size) {
        this.face = face;
        this.style = style;
        this.size = size;
        int px = size == SIZE_SMALL ? 12 : size == SIZE_LARGE ? 20 : 16;
        int awtStyle = ((style & STYLE_BOLD) != 0 ? java.awt.Font.BOLD : 0)
                | ((style & STYLE_ITALIC) != 0 ? java.awt.Font.ITALIC : 0);
        awt = new java.awt.Font(HARNESS_FAMILY, awtStyle, px);
        MEASURE.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING, RenderingHints.VALUE_TEXT_ANTIALIAS_OFF);
        metrics = MEASURE.getFontMetrics(awt);
    }

    public static Font getDefaultFont() {
        return getFont(FACE_SYSTEM, STYLE_PLAIN, SIZE_MEDIUM);
    }

    public static synchronized Font getFont(int face, int style, int size) {
        if (face != FACE_SYSTEM && face != FACE_MONOSPACE && face != FACE_PROPORTIONAL
                || size != SIZE_SMALL && size != SIZE_MEDIUM && size != SIZE_LARGE || (style & ~7) != 0) {
            throw new IllegalArgumentException("font " + face + "/" + style + "/" + size);
        }
        return FONTS.computeIfAbsent(face << 16 | style << 8 | size, k -> new Font(face, style, size));
    }

    public int getStyle() {
        return style;
    }

    public int getSize() {
        return size;
    }

    public int getFace() {
        return face;
    }

    public boolean isPlain() {
        return style == STYLE_PLAIN;
    }

    public boolean isBold() {
        return (style & STYLE_BOLD) != 0;
    }

    public boolean isItalic() {
        return (style & STYLE_ITALIC) != 0;
    }

    public boolean isUnderlined() {
        return (style & STYLE_UNDERLINED) != 0;
    }

    public int getHeight() {
        return metrics.getHeight();
    }

    public int getBaselinePosition() {
        return metrics.getAscent();
    }

    public int charWidth(char ch) {
        return metrics.charWidth(ch);
    }

    public int charsWidth(char[] ch, int offset, int length) {
        return metrics.charsWidth(ch, offset, length);
    }

    public int stringWidth(String str) {
        return metrics.stringWidth(str);
    }

    public int substringWidth(String str, int offset, int len) {
        return metrics.stringWidth(str.substring(offset, offset + len));
    }
}
