// SPDX-License-Identifier: GPL-3.0-or-later
package readertest;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import java.io.InputStream;
import java.lang.reflect.Method;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.zip.ZipEntry;

import org.junit.BeforeClass;
import org.junit.Test;

import vamo.harness.CliBooks;

/** The build check finds what would keep a template from installing or running on a phone. */
public class TemplateCheckTest {
    static final Path STUBS = Paths.get(System.getProperty("vamo.stubs", "build/reader/stubs"));
    static Path dir;

    @BeforeClass
    public static void workDir() throws Exception {
        dir = Books.WORK.resolve("check");
        Files.createDirectories(dir);
    }

    @SuppressWarnings("unchecked")
    static List<String> check(Path jar) throws Exception {
        Method m = Class.forName("Templates").getMethod("check", Path.class, Path.class);
        return (List<String>) m.invoke(null, jar, STUBS);
    }

    static Map<String, byte[]> entries(Path jar) throws Exception {
        return CliBooks.entries(jar);
    }

    static Path zip(String name, Map<String, byte[]> entries) throws Exception {
        Method m = Class.forName("Templates").getMethod("zip", Map.class);
        return Files.write(dir.resolve(name), (byte[]) m.invoke(null, entries));
    }

    /** Compiles one class with the given compiler arguments; returns its bytes. */
    static byte[] compile(String className, String source, String... args) throws Exception {
        Path src = dir.resolve("src-" + className);
        Path out = dir.resolve("out-" + className);
        Files.createDirectories(src);
        Files.writeString(src.resolve(className + ".java"), source);
        List<String> cmd = new ArrayList<>(List.of(args));
        cmd.addAll(List.of("-d", out.toString(), src.resolve(className + ".java").toString()));
        Process p = new ProcessBuilder(cmd).redirectErrorStream(true).start();
        String log = new String(p.getInputStream().readAllBytes());
        assertEquals(log, 0, p.waitFor());
        try (var found = Files.walk(out)) {
            return Files.readAllBytes(found.filter(f -> f.endsWith(className + ".class")).findFirst().orElseThrow());
        }
    }

    static byte[] ecj(String className, String source) throws Exception {
        return compile(className, source, "ecj", "-source", "1.3", "-target", "cldc1.1", "-nowarn",
                "-bootclasspath", STUBS.toString());
    }

    static void assertFinds(String what, Path jar) throws Exception {
        List<String> errors = check(jar);
        assertTrue(what + " not found in " + errors, errors.stream().anyMatch(e -> e.contains(what)));
    }

    @Test
    public void theBuiltTemplatesPass() throws Exception {
        assertEquals(List.of(), check(Books.NOKIA));
        assertEquals(List.of(), check(Books.MOTO));
        assertTrue(Files.size(Books.NOKIA) < 20 * 1024);
        assertTrue(Files.size(Books.MOTO) < 20 * 1024);
    }

    @Test
    public void findsFloatingPointAndJdkOnlyApi() throws Exception {
        Map<String, byte[]> e = entries(Books.NOKIA);
        e.put("Half.class", ecj("Half", "class Half { static int of(int a) { float f = a * 0.5f; return (int) f; } }"));
        e.put("Jdk.class", compile("Jdk", "class Jdk { static boolean empty(String s) { return s.isEmpty(); } }",
                "ecj", "-source", "1.3", "-target", "cldc1.1", "-nowarn"));
        Path jar = zip("float-and-jdk.dll", e);
        assertFinds("Half: of(I)I uses floating point", jar);
        assertFinds("floating point constant", jar);
        assertFinds("java/lang/String.isEmpty()Z, which CLDC 1.0 / MIDP 1.0 does not have", jar);
    }

    @Test
    public void findsNewClassVersionsAndMissingStackMaps() throws Exception {
        Map<String, byte[]> e = entries(Books.NOKIA);
        e.put("New.class", compile("New", "class New { int f(int a) { return a > 0 ? a : -a; } }",
                "javac", "--release", "8"));
        e.put("Plain.class", compile("Plain", "class Plain { int f(int a) { return a > 0 ? a : -a; } }",
                "ecj", "-source", "1.3", "-target", "1.3", "-nowarn", "-bootclasspath", STUBS.toString()));
        Path jar = zip("versions.dll", e);
        assertFinds("New: class file version 52.0", jar);
        assertFinds("Plain: f(I)I has no StackMap", jar);
    }

    @Test
    public void findsMidp2Api() throws Exception {
        // A Canvas that knows setFullScreenMode, as MIDP 2.0's does.
        compile("Canvas", "package javax.microedition.lcdui; public abstract class Canvas {"
                + " public void setFullScreenMode(boolean b) {} }", "javac", "--release", "8");
        Path fake = dir.resolve("out-Canvas");
        byte[] full = compile("Full", "class Full { static void on(javax.microedition.lcdui.Canvas c) {"
                + " c.setFullScreenMode(true); } }", "ecj", "-source", "1.3", "-target", "cldc1.1", "-nowarn",
                "-cp", fake.toString());
        Map<String, byte[]> e = entries(Books.NOKIA);
        e.put("Full.class", full);
        assertFinds("javax/microedition/lcdui/Canvas.setFullScreenMode", zip("midp2.dll", e));
    }

    @Test
    public void findsOversizeAndAMisplacedManifest() throws Exception {
        Map<String, byte[]> e = entries(Books.NOKIA);
        byte[] noise = new byte[12 * 1024];
        new Random(3).nextBytes(noise);
        e.put("noise.bin", noise);
        assertFinds("more than the 20480 a template may have", zip("big.dll", e));
        Map<String, byte[]> reordered = new LinkedHashMap<>(entries(Books.NOKIA));
        byte[] manifest = reordered.remove("META-INF/MANIFEST.MF");
        reordered.put("META-INF/MANIFEST.MF", manifest);
        assertFinds("META-INF/MANIFEST.MF is not the first entry", zip("late-manifest.dll", reordered));
        Map<String, byte[]> noDemo = new LinkedHashMap<>(entries(Books.NOKIA));
        noDemo.remove("demo.class");
        noDemo.remove("icon.png");
        assertFinds("no class demo", zip("no-demo.dll", noDemo));
        assertFinds("icon.png is missing", zip("no-demo.dll", noDemo));
    }

    @Test
    public void findsEntriesSomePhonesRefuse() throws Exception {
        Path jar = dir.resolve("descriptors.dll");
        try (var out = new java.util.zip.ZipOutputStream(Files.newOutputStream(jar))) {
            for (Map.Entry<String, byte[]> e : entries(Books.NOKIA).entrySet()) {
                out.putNextEntry(new ZipEntry(e.getKey())); // sizes unknown: written after the data
                out.write(e.getValue());
            }
        }
        assertFinds("META-INF/MANIFEST.MF has a data descriptor", jar);
        Map<String, byte[]> withFolder = new LinkedHashMap<>(entries(Books.NOKIA));
        withFolder.put("res/", new byte[0]);
        assertFinds("res/ is a folder entry", zip("folder.dll", withFolder));
    }
}
