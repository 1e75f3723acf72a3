// SPDX-License-Identifier: GPL-3.0-or-later
package vamo.harness;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.TreeMap;

import javax.imageio.ImageIO;
import javax.microedition.lcdui.Graphics;

/** One painted screen: the picture and the text drawn on it. */
public final class Screen {
    public final BufferedImage image;
    public final List<Graphics.Text> texts;

    Screen(BufferedImage image, List<Graphics.Text> texts) {
        this.image = image;
        this.texts = texts;
    }

    /** The text drawn, one string per screen row (pieces on a row joined left to right). */
    public List<String> lines() {
        TreeMap<Integer, List<Graphics.Text>> rows = new TreeMap<>();
        for (Graphics.Text t : texts) {
            rows.computeIfAbsent(t.y(), k -> new ArrayList<>()).add(t);
        }
        List<String> out = new ArrayList<>();
        for (List<Graphics.Text> row : rows.values()) {
            row.sort(Comparator.comparingInt(Graphics.Text::x));
            StringBuilder s = new StringBuilder();
            int end = Integer.MIN_VALUE;
            for (Graphics.Text t : row) {
                if (s.length() > 0 && t.x() > end + 4) {
                    s.append(' '); // a separate piece on the same row, e.g. a bar's two labels
                }
                s.append(t.text());
                end = t.x() + t.width();
            }
            out.add(s.toString());
        }
        return out;
    }

    public String text() {
        return String.join("\n", lines());
    }

    /** Whether s is drawn, in one piece or wrapped over rows. */
    public boolean shows(String s) {
        return texts.stream().anyMatch(t -> t.text().contains(s)) || String.join("", lines()).contains(s);
    }

    public int pixel(int x, int y) {
        return image.getRGB(x, y) & 0xFFFFFF;
    }

    public Screen save(Path png) throws IOException {
        Files.createDirectories(png.toAbsolutePath().getParent());
        ImageIO.write(image, "png", png.toFile());
        return this;
    }
}
