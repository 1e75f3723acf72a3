// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.InputStream;

import javax.imageio.ImageIO;

/** Desktop image: a BufferedImage; immutable when loaded from the JAR. */
public class Image {
    final BufferedImage img;
    private final boolean mutable;

    private Image(BufferedImage img, boolean mutable) {
        this.img = img;
        this.mutable = mutable;
    }

    public static Image createImage(int width, int height) {
        if (width <= 0 || height <= 0) {
            throw new IllegalArgumentException();
        }
        BufferedImage b = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        java.awt.Graphics2D g = b.createGraphics();
        g.setColor(java.awt.Color.WHITE);
        g.fillRect(0, 0, width, height);
        g.dispose();
        return new Image(b, true);
    }

    public static Image createImage(Image source) {
        return new Image(source.img, false);
    }

    public static Image createImage(String name) throws IOException {
        InputStream in = Thread.currentThread().getContextClassLoader().getResourceAsStream(
                name.startsWith("/") ? name.substring(1) : name);
        if (in == null) {
            throw new IOException(name);
        }
        try (in) {
            BufferedImage b = ImageIO.read(in);
            if (b == null) {
                throw new IOException(name + " is no image");
            }
            return new Image(b, false);
        }
    }

    public static Image createImage(byte[] imageData, int imageOffset, int imageLength) {
        try {
            BufferedImage b = ImageIO.read(new java.io.ByteArrayInputStream(imageData, imageOffset, imageLength));
            if (b == null) {
                throw new IllegalArgumentException("no image");
            }
            return new Image(b, false);
        } catch (IOException e) {
            throw new IllegalArgumentException(e);
        }
    }

    public Graphics getGraphics() {
        if (!mutable) {
            throw new IllegalStateException();
        }
        return new Graphics(img, null);
    }

    public int getWidth() {
        return img.getWidth();
    }

    public int getHeight() {
        return img.getHeight();
    }

    public boolean isMutable() {
        return mutable;
    }
}
