// SPDX-License-Identifier: GPL-3.0-or-later
package vamo.harness;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Map;
import java.util.zip.ZipEntry;
import java.util.zip.ZipOutputStream;

/**
 * Damaged books, which the command line never makes: the files of a book
 * made by vamobook-cli (see CliBooks) with some taken out (pieces, the index,
 * the book information), cut short inside a piece or a character, filled
 * with junk, or replaced by hand-written ones (an index that disagrees with
 * the pieces, a piece longer than the packaging cuts, a piece of no text at
 * all, a header cut short), written back as a JAR.
 */
public final class BookMaker {
    private BookMaker() {}

    /** s in UTF-8 behind a byte-order mark, as the book's files are stored. */
    public static byte[] utf8Bom(String s) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.write(0xEF);
        out.write(0xBB);
        out.write(0xBF);
        out.writeBytes(s.getBytes(StandardCharsets.UTF_8));
        return out.toByteArray();
    }

    /** Writes entries (a made book's, changed) as the JAR jar, in their order. */
    public static Path jar(Path jar, Map<String, byte[]> entries) throws IOException {
        Files.createDirectories(jar.toAbsolutePath().getParent());
        try (ZipOutputStream out = new ZipOutputStream(Files.newOutputStream(jar))) {
            for (Map.Entry<String, byte[]> f : entries.entrySet()) {
                out.putNextEntry(new ZipEntry(f.getKey()));
                out.write(f.getValue());
            }
        }
        return jar;
    }
}
