// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;

import java.awt.image.BufferedImage;
import java.util.ArrayList;
import java.util.List;

import javax.microedition.lcdui.Canvas;
import javax.microedition.lcdui.Display;
import javax.microedition.lcdui.Graphics;

import org.junit.Test;

/** The desktop Graphics keeps to the clip rules of MIDP 1.0, as the phones do. */
public class HarnessTest {
    /** A canvas whose paint is given by the test. */
    static BufferedImage paint(java.util.function.Consumer<Graphics> p) {
        Display.harnessScreen(40, 30, Display.NOKIA, true);
        Canvas c = new Canvas() {
            @Override
            protected void paint(Graphics g) {
                p.accept(g);
            }
        };
        return c.harnessPaint(new ArrayList<>());
    }

    static int px(BufferedImage img, int x, int y) {
        return img.getRGB(x, y) & 0xFFFFFF;
    }

    @Test
    public void setClipReplacesClipRectIntersectsAndNothingIsDrawnOutside() {
        List<int[]> clips = new ArrayList<>();
        BufferedImage img = paint(g -> {
            g.setColor(0xFFFFFF);
            g.fillRect(0, 0, 40, 30);
            g.setClip(0, 0, 10, 10);
            g.setClip(20, 0, 10, 10); // replaces, does not intersect
            clips.add(new int[] {g.getClipX(), g.getClipY(), g.getClipWidth(), g.getClipHeight()});
            g.setColor(0xFF0000);
            g.fillRect(0, 0, 40, 30);
            g.setClip(0, 0, 40, 30);
            g.clipRect(5, 15, 10, 10);
            g.clipRect(10, 20, 20, 20); // intersects: 10..15 x 20..25
            clips.add(new int[] {g.getClipX(), g.getClipY(), g.getClipWidth(), g.getClipHeight()});
            g.setColor(0x00FF00);
            g.fillRect(0, 0, 40, 30);
            g.drawString("字字字", 0, 16, Graphics.TOP | Graphics.LEFT);
            g.setClip(30, 20, -5, 5); // empty
            g.fillRect(0, 0, 40, 30);
            g.translate(2, 3); // the clip stays where it is on the screen
            g.setClip(0, 0, 3, 3);
            g.setColor(0x0000FF);
            g.fillRect(-10, -10, 50, 50);
        });
        assertEquals(List.of(20, 0, 10, 10), List.of(clips.get(0)[0], clips.get(0)[1], clips.get(0)[2], clips.get(0)[3]));
        assertEquals(List.of(10, 20, 5, 5), List.of(clips.get(1)[0], clips.get(1)[1], clips.get(1)[2], clips.get(1)[3]));
        for (int y = 0; y < 30; y++) {
            for (int x = 0; x < 40; x++) {
                int want = x >= 2 && x < 5 && y >= 3 && y < 6 ? 0x0000FF
                        : x >= 20 && x < 30 && y < 10 ? 0xFF0000
                        : x >= 10 && x < 15 && y >= 20 && y < 25 ? 0x00FF00 : 0xFFFFFF;
                assertEquals("pixel " + x + "," + y, want, px(img, x, y));
            }
        }
    }
}
