// SPDX-License-Identifier: GPL-3.0-or-later
package vamo.harness;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Collections;
import java.util.Comparator;
import java.util.Enumeration;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;

/**
 * Book JARs made by the command line program, vamobook-cli (its path in the
 * system property vamo.cli), from chapter texts: every chapter a UTF-8 TXT
 * file named after it, in a folder of its own so that names may repeat. The
 * same chapters and options give the same book, made once per test run.
 */
public final class CliBooks {
    private static final Path CLI = Paths.get(System.getProperty("vamo.cli", "build/bin/vamobook-cli"));
    private static final Path WORK =
            Paths.get(System.getProperty("vamo.work", "build/reader-e2e")).resolve("cli-books");
    private static final Map<List<Object>, List<Path>> MADE = new HashMap<>();

    private CliBooks() {}

    /** The book's JARs, volume by volume; options are the make command's (--book-name, --phone ...). */
    public static synchronized List<Path> make(List<String> names, List<String> texts, String... options)
            throws IOException, InterruptedException {
        if (names.size() != texts.size()) {
            throw new IllegalArgumentException("one name for every text");
        }
        List<Object> key = List.of(List.copyOf(names), List.copyOf(texts), List.of(options));
        List<Path> jars = MADE.get(key);
        if (jars != null) {
            return jars;
        }
        if (MADE.isEmpty()) {
            clear(WORK);
        }
        Path dir = WORK.resolve(String.valueOf(MADE.size() + 1));
        List<Path> txt = new ArrayList<>();
        for (int k = 0; k < texts.size(); k++) {
            Path f = dir.resolve("txt").resolve(String.valueOf(k + 1)).resolve(names.get(k) + ".txt");
            Files.createDirectories(f.getParent());
            ByteArrayOutputStream bytes = new ByteArrayOutputStream();
            bytes.write(new byte[] {(byte) 0xEF, (byte) 0xBB, (byte) 0xBF});
            bytes.write(texts.get(k).getBytes(StandardCharsets.UTF_8));
            txt.add(Files.write(f, bytes.toByteArray()));
        }
        jars = run(dir.resolve("out"), List.of(options), txt);
        MADE.put(key, List.copyOf(jars));
        return MADE.get(key);
    }

    /**
     * Runs vamobook-cli make on the TXT files into saveFolder; returns the
     * JARs it names, after checking that it succeeded and that every JAD it
     * names is there.
     */
    public static List<Path> run(Path saveFolder, List<String> options, List<Path> txt)
            throws IOException, InterruptedException {
        List<String> cmd = new ArrayList<>(List.of(CLI.toString(), "make", "--save-folder", saveFolder.toString()));
        cmd.addAll(options);
        for (Path f : txt) {
            cmd.add(f.toString());
        }
        Process p = new ProcessBuilder(cmd).redirectErrorStream(true).start();
        String printed = new String(p.getInputStream().readAllBytes(), StandardCharsets.UTF_8);
        if (p.waitFor() != 0) {
            throw new IOException("vamobook-cli failed: " + printed);
        }
        List<Path> jars = new ArrayList<>();
        for (String line : printed.split("\\R")) {
            if (line.endsWith(".jar")) {
                jars.add(Paths.get(line));
            }
            if (line.endsWith(".jad") && !Files.exists(Paths.get(line))) {
                throw new IOException("vamobook-cli named a JAD that is not there: " + line);
            }
        }
        if (jars.isEmpty()) {
            throw new IOException("vamobook-cli named no JAR: " + printed);
        }
        return jars;
    }

    /** The one JAR of a book that is not cut into volumes. */
    public static Path one(List<String> names, List<String> texts, String... options)
            throws IOException, InterruptedException {
        List<Path> jars = make(names, texts, options);
        if (jars.size() != 1) {
            throw new IOException("the book has " + jars.size() + " volumes");
        }
        return jars.get(0);
    }

    /** Every entry of a JAR, in archive order. */
    public static Map<String, byte[]> entries(Path jar) throws IOException {
        Map<String, byte[]> e = new LinkedHashMap<>();
        try (ZipFile z = new ZipFile(jar.toFile())) {
            for (Enumeration<? extends ZipEntry> en = z.entries(); en.hasMoreElements();) {
                ZipEntry x = en.nextElement();
                try (InputStream in = z.getInputStream(x)) {
                    e.put(x.getName(), in.readAllBytes());
                }
            }
        }
        return e;
    }

    /** The book's own files of a JAR (index, information, pieces), without the reader's. */
    public static Map<String, byte[]> payload(Path jar) throws IOException {
        Map<String, byte[]> e = entries(jar);
        e.keySet().removeIf(n -> !n.equals("capter") && !n.equals("text") && !n.matches("[0-9]+"));
        return e;
    }

    /** Deletes dir and all in it, if it is there. */
    public static void clear(Path dir) throws IOException {
        if (Files.exists(dir)) {
            try (var old = Files.walk(dir)) {
                for (Path p : old.sorted(Comparator.reverseOrder()).toList()) {
                    Files.delete(p);
                }
            }
        }
    }
}
