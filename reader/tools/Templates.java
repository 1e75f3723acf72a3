// SPDX-License-Identifier: GPL-3.0-or-later
import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;
import java.awt.image.IndexColorModel;
import java.io.ByteArrayOutputStream;
import java.io.DataInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayDeque;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.TreeSet;
import java.util.stream.Stream;
import java.util.zip.CRC32;
import java.util.zip.Deflater;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;
import java.util.zip.ZipOutputStream;

import javax.imageio.ImageIO;

/**
 * Build tool of the reader templates, run on the JDK at build time.
 *
 * <pre>
 * Templates icon OUT.png
 * Templates pack OUT.dll CLASSDIR ICON.png STUBDIR
 * Templates check STUBDIR TEMPLATE...
 * </pre>
 *
 * pack writes the manifest first, then demo and every class it reaches, then
 * the icon, and checks the result; check fails (exit 1) when a template would
 * not install or run on a CLDC 1.0 / MIDP 1.0 phone.
 */
public final class Templates {
    public static final int MAX_SIZE = 20 * 1024;
    static final long TIME = 1199145600000L; // fixed entry time: the same bytes every build

    static final String MANIFEST = "Manifest-Version: 1.0\r\n"
            + "MicroEdition-Configuration: CLDC-1.0\r\n"
            + "MIDlet-Name: Vamo\r\n"
            + "Created-By: 1.5.0-beta (Sun Microsystems Inc.)\r\n"
            + "MIDlet-Vendor: www.vamobook.cn\r\n"
            + "MIDlet-1: Vamo,/icon.png,demo\r\n"
            + "MIDlet-Version: 1.0.0\r\n"
            + "MicroEdition-Profile: MIDP-1.0\r\n";

    /** MIDP 2.0 API that must never appear, whatever the stubs say. */
    static final String[] MIDP2 = {
        "javax/microedition/lcdui/game/", "javax/microedition/media/", "javax/microedition/pki/",
        "javax/microedition/io/PushRegistry", "javax/microedition/lcdui/CustomItem",
        "javax/microedition/lcdui/Spacer", "javax/microedition/lcdui/ItemCommandListener",
        "javax/microedition/lcdui/Canvas.setFullScreenMode", "javax/microedition/lcdui/Canvas.sizeChanged",
        "javax/microedition/lcdui/Displayable.getWidth", "javax/microedition/lcdui/Displayable.getHeight",
        "javax/microedition/lcdui/Displayable.setTitle", "javax/microedition/lcdui/Displayable.setTicker",
        "javax/microedition/lcdui/Graphics.drawRegion", "javax/microedition/lcdui/Graphics.drawRGB",
        "javax/microedition/lcdui/Graphics.fillTriangle", "javax/microedition/lcdui/Graphics.copyArea",
        "javax/microedition/lcdui/Display.vibrate", "javax/microedition/lcdui/Display.flashBacklight",
        "javax/microedition/lcdui/Image.createRGBImage", "javax/microedition/lcdui/Image.getRGB",
        "javax/microedition/midlet/MIDlet.platformRequest", "javax/microedition/midlet/MIDlet.checkPermission",
        "java/lang/Float", "java/lang/Double",
    };

    public static void main(String[] a) throws Exception {
        List<String> errors = new ArrayList<>();
        switch (a.length == 0 ? "" : a[0]) {
            case "icon" -> Files.write(Paths.get(a[1]), icon());
            case "pack" -> {
                Path out = Paths.get(a[1]);
                Files.write(out, pack(Paths.get(a[2]), Files.readAllBytes(Paths.get(a[3]))));
                errors.addAll(check(out, Paths.get(a[4])));
                if (!errors.isEmpty()) {
                    Files.delete(out);
                }
            }
            case "check" -> {
                for (int i = 2; i < a.length; i++) {
                    errors.addAll(check(Paths.get(a[i]), Paths.get(a[1])));
                }
            }
            default -> errors.add("usage: Templates icon|pack|check ...");
        }
        for (String e : errors) {
            System.err.println(e);
        }
        System.exit(errors.isEmpty() ? 0 : 1);
    }

    // ---- icon ---------------------------------------------------------------------

    /** The 24x24 icon: a closed book, blue cover, white pages, red ribbon. */
    static byte[] icon() throws IOException {
        Color[] pal = {new Color(0, 0, 0, 0), new Color(0x1F3F7A), new Color(0x3A6EA5), new Color(0xFFFFFF),
            new Color(0xD8D8D0), new Color(0xC8323C), new Color(0xF2C14E)};
        byte[] r = new byte[pal.length], g = new byte[pal.length], b = new byte[pal.length], al = new byte[pal.length];
        for (int i = 0; i < pal.length; i++) {
            r[i] = (byte) pal[i].getRed();
            g[i] = (byte) pal[i].getGreen();
            b[i] = (byte) pal[i].getBlue();
            al[i] = (byte) pal[i].getAlpha();
        }
        BufferedImage img = new BufferedImage(24, 24, BufferedImage.TYPE_BYTE_INDEXED,
                new IndexColorModel(4, pal.length, r, g, b, al));
        Graphics2D d = img.createGraphics();
        d.setColor(pal[4]); // page edges
        d.fillRect(6, 3, 15, 19);
        d.setColor(pal[3]);
        d.fillRect(6, 3, 14, 18);
        d.setColor(pal[1]); // spine and cover
        d.fillRect(3, 2, 4, 20);
        d.setColor(pal[2]);
        d.fillRect(5, 2, 13, 18);
        d.setColor(pal[1]);
        d.drawRect(5, 2, 13, 18);
        d.setColor(pal[6]); // title plate
        d.fillRect(8, 6, 8, 3);
        d.setColor(pal[3]); // lines of text on the cover
        d.drawLine(8, 11, 15, 11);
        d.drawLine(8, 13, 13, 13);
        d.setColor(pal[5]); // ribbon
        d.fillRect(14, 19, 2, 4);
        d.drawLine(14, 23, 14, 23);
        d.dispose();
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        ImageIO.write(img, "png", out);
        return out.toByteArray();
    }

    // ---- pack -----------------------------------------------------------------------

    static byte[] pack(Path classes, byte[] icon) throws IOException {
        Map<String, byte[]> all = new HashMap<>();
        try (Stream<Path> s = Files.list(classes)) {
            for (Path f : (Iterable<Path>) s::iterator) {
                String n = f.getFileName().toString();
                if (n.endsWith(".class")) {
                    all.put(n.substring(0, n.length() - 6), Files.readAllBytes(f));
                }
            }
        }
        // Only what demo reaches: classes whose constants were inlined stay out.
        TreeSet<String> keep = new TreeSet<>();
        ArrayDeque<String> todo = new ArrayDeque<>(List.of("demo"));
        while (!todo.isEmpty()) {
            String c = todo.pop();
            if (all.containsKey(c) && keep.add(c)) {
                todo.addAll(ClassFile.parse(all.get(c)).classRefs());
            }
        }
        Map<String, byte[]> entries = new LinkedHashMap<>();
        entries.put("META-INF/MANIFEST.MF", MANIFEST.getBytes(StandardCharsets.UTF_8));
        entries.put("demo.class", all.get("demo"));
        for (String c : keep) {
            entries.put(c + ".class", all.get(c));
        }
        entries.put("icon.png", icon);
        return zip(entries);
    }

    /**
     * Writes the entries in order. Sizes and CRC go into each local header, so
     * no entry needs a data descriptor (some phones' installers reject them);
     * what deflating does not shrink is stored.
     */
    public static byte[] zip(Map<String, byte[]> entries) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        try (ZipOutputStream z = new ZipOutputStream(out)) {
            z.setLevel(Deflater.BEST_COMPRESSION);
            for (Map.Entry<String, byte[]> e : entries.entrySet()) {
                byte[] data = e.getValue();
                ZipEntry ze = new ZipEntry(e.getKey());
                ze.setTime(TIME);
                CRC32 crc = new CRC32();
                crc.update(data);
                ze.setCrc(crc.getValue());
                ze.setSize(data.length);
                int packed = deflated(data);
                ze.setMethod(packed < data.length ? ZipEntry.DEFLATED : ZipEntry.STORED);
                ze.setCompressedSize(packed < data.length ? packed : data.length);
                z.putNextEntry(ze);
                z.write(data);
                z.closeEntry();
            }
        }
        return out.toByteArray();
    }

    private static int deflated(byte[] data) {
        Deflater d = new Deflater(Deflater.BEST_COMPRESSION, true);
        d.setInput(data);
        d.finish();
        byte[] buf = new byte[4096];
        int n = 0;
        while (!d.finished()) {
            n += d.deflate(buf);
        }
        d.end();
        return n;
    }

    /** Local headers in order: names of entries that carry a data descriptor or are folders. */
    static List<String> awkwardEntries(byte[] jar) {
        List<String> bad = new ArrayList<>();
        java.nio.ByteBuffer b = java.nio.ByteBuffer.wrap(jar).order(java.nio.ByteOrder.LITTLE_ENDIAN);
        for (int at = 0; at + 30 <= jar.length && b.getInt(at) == 0x04034b50;) {
            int flags = b.getShort(at + 6) & 0xFFFF, csize = b.getInt(at + 18);
            int nameLen = b.getShort(at + 26) & 0xFFFF, extra = b.getShort(at + 28) & 0xFFFF;
            String name = new String(jar, at + 30, nameLen, StandardCharsets.UTF_8);
            if ((flags & 8) != 0) {
                bad.add(name + " has a data descriptor");
                break; // its size is not in the header: the next header cannot be found from here
            }
            if (name.endsWith("/")) {
                bad.add(name + " is a folder entry");
            }
            at += 30 + nameLen + extra + csize;
        }
        return bad;
    }

    // ---- check ----------------------------------------------------------------------

    /** Everything wrong with a template; empty when it is fit for the phones. */
    public static List<String> check(Path jar, Path stubs) throws IOException {
        List<String> err = new ArrayList<>();
        String name = jar.getFileName().toString();
        long size = Files.size(jar);
        if (size >= MAX_SIZE) {
            err.add(name + ": " + size + " bytes, more than the " + MAX_SIZE + " a template may have");
        }
        for (String awkward : awkwardEntries(Files.readAllBytes(jar))) {
            err.add(name + ": " + awkward + ", which some phones refuse");
        }
        Map<String, ClassFile> classes = new HashMap<>();
        try (ZipFile z = new ZipFile(jar.toFile())) {
            Enumeration<? extends ZipEntry> en = z.entries();
            if (!en.hasMoreElements() || !en.nextElement().getName().equals("META-INF/MANIFEST.MF")) {
                err.add(name + ": META-INF/MANIFEST.MF is not the first entry");
            }
            ZipEntry m = z.getEntry("META-INF/MANIFEST.MF");
            String man = m == null ? "" : new String(read(z.getInputStream(m)), StandardCharsets.UTF_8);
            if (!man.contains("\r\nMIDlet-1: ") || !man.contains(",/icon.png,demo\r\n")
                    || !man.contains("MicroEdition-Profile: MIDP-1.0")) {
                err.add(name + ": the manifest does not name the MIDlet demo with /icon.png");
            }
            ZipEntry icon = z.getEntry("icon.png");
            if (icon == null || ImageIO.read(z.getInputStream(icon)) == null) {
                err.add(name + ": icon.png is missing or not a PNG image");
            }
            en = z.entries();
            while (en.hasMoreElements()) {
                ZipEntry e = en.nextElement();
                if (e.getName().endsWith(".class")) {
                    String cn = e.getName().substring(0, e.getName().length() - 6);
                    try {
                        classes.put(cn, ClassFile.parse(read(z.getInputStream(e))));
                    } catch (IOException | RuntimeException x) {
                        err.add(name + ": " + cn + ".class cannot be read: " + x);
                    }
                }
            }
        }
        if (!classes.containsKey("demo")) {
            err.add(name + ": no class demo");
        } else if (!"javax/microedition/midlet/MIDlet".equals(classes.get("demo").superName)) {
            err.add(name + ": demo is not a MIDlet");
        }
        Api api = new Api(stubs);
        for (Map.Entry<String, ClassFile> e : classes.entrySet()) {
            for (String problem : e.getValue().problems(classes, api)) {
                err.add(name + ": " + e.getKey() + ": " + problem);
            }
        }
        return err;
    }

    static byte[] read(InputStream in) throws IOException {
        try (in) {
            return in.readAllBytes();
        }
    }

    /** The API a phone offers: the stub classes, each parsed once. */
    static final class Api {
        final Path dir;
        final Map<String, ClassFile> cache = new HashMap<>();

        Api(Path dir) {
            this.dir = dir;
        }

        ClassFile get(String name) {
            return cache.computeIfAbsent(name, n -> {
                Path f = dir.resolve(n + ".class");
                try {
                    return Files.exists(f) ? ClassFile.parse(Files.readAllBytes(f)) : null;
                } catch (IOException e) {
                    return null;
                }
            });
        }
    }

    /** The parts of a class file the checks look at. */
    static final class ClassFile {
        int major, minor;
        String name, superName;
        Object[] pool;
        int[] tags;
        List<String> interfaces = new ArrayList<>();
        List<String[]> members = new ArrayList<>(); // name, descriptor
        List<String> notes = new ArrayList<>();

        static ClassFile parse(byte[] b) throws IOException {
            ClassFile c = new ClassFile();
            DataInputStream in = new DataInputStream(new java.io.ByteArrayInputStream(b));
            if (in.readInt() != 0xCAFEBABE) {
                throw new IOException("not a class file");
            }
            c.minor = in.readUnsignedShort();
            c.major = in.readUnsignedShort();
            int n = in.readUnsignedShort();
            c.pool = new Object[n];
            c.tags = new int[n];
            for (int i = 1; i < n; i++) {
                int t = in.readUnsignedByte();
                c.tags[i] = t;
                switch (t) {
                    case 1 -> c.pool[i] = in.readUTF();
                    case 3 -> c.pool[i] = in.readInt();
                    case 4 -> c.pool[i] = in.readFloat();
                    case 5 -> { c.pool[i] = in.readLong(); i++; }
                    case 6 -> { c.pool[i] = in.readDouble(); i++; }
                    case 7, 8 -> c.pool[i] = new int[] {in.readUnsignedShort()};
                    case 9, 10, 11, 12 -> c.pool[i] = new int[] {in.readUnsignedShort(), in.readUnsignedShort()};
                    default -> throw new IOException("constant pool tag " + t + " is not known to CLDC");
                }
            }
            in.readUnsignedShort();
            c.name = c.className(in.readUnsignedShort());
            int sup = in.readUnsignedShort();
            c.superName = sup == 0 ? null : c.className(sup);
            for (int i = in.readUnsignedShort(); i > 0; i--) {
                c.interfaces.add(c.className(in.readUnsignedShort()));
            }
            for (int kind = 0; kind < 2; kind++) {
                for (int i = in.readUnsignedShort(); i > 0; i--) {
                    in.readUnsignedShort();
                    String mn = c.utf(in.readUnsignedShort()), md = c.utf(in.readUnsignedShort());
                    c.members.add(new String[] {mn, md});
                    for (int k = in.readUnsignedShort(); k > 0; k--) {
                        String an = c.utf(in.readUnsignedShort());
                        byte[] body = new byte[in.readInt()];
                        in.readFully(body);
                        if (an.equals("Code")) {
                            c.code(mn + md, body);
                        }
                    }
                }
            }
            return c;
        }

        String utf(int i) {
            return (String) pool[i];
        }

        String className(int i) {
            return utf(((int[]) pool[i])[0]);
        }

        /** Classes named in the constant pool (array types by their element). */
        List<String> classRefs() {
            List<String> r = new ArrayList<>();
            for (int i = 1; i < pool.length; i++) {
                if (tags[i] == 7) {
                    String n = className(i);
                    if (n.startsWith("[")) {
                        n = n.replaceAll("^\\[+", "");
                        if (!n.startsWith("L")) {
                            continue; // array of a primitive type
                        }
                        n = n.substring(1, n.length() - 1);
                    }
                    r.add(n);
                }
            }
            return r;
        }

        /* Opcodes that use float or double, and the lengths of all others. */
        static boolean floating(int op) {
            return op >= 0x0b && op <= 0x0f || op == 0x17 || op == 0x18 || op >= 0x22 && op <= 0x29
                    || op == 0x30 || op == 0x31 || op == 0x38 || op == 0x39 || op >= 0x43 && op <= 0x4a
                    || op == 0x51 || op == 0x52 || op == 0x62 || op == 0x63 || op == 0x66 || op == 0x67
                    || op == 0x6a || op == 0x6b || op == 0x6e || op == 0x6f || op == 0x72 || op == 0x73
                    || op == 0x76 || op == 0x77 || op >= 0x86 && op <= 0x90 && op != 0x88 || op >= 0x95 && op <= 0x98
                    || op == 0xae || op == 0xaf;
        }

        /* Instruction lengths by opcode; 0 for the switches and wide (measured
           apart) and for what CLDC does not run. */
        static final String LENGTHS =
                "1111111111111111" + "2323322222111111" + "1111111111111111" + "1111112222211111"
                + "1111111111111111" + "1111111111111111" + "1111111111111111" + "1111111111111111"
                + "1111311111111111" + "1111111113333333" + "3333333332001111" + "1133333335032311"
                + "3311043355000000" + "0000000000000000" + "0000000000000000" + "0000000000000000";

        void code(String method, byte[] body) throws IOException {
            DataInputStream in = new DataInputStream(new java.io.ByteArrayInputStream(body));
            in.skipBytes(4);
            byte[] code = new byte[in.readInt()];
            in.readFully(code);
            int handlers = in.readUnsignedShort();
            boolean branches = handlers > 0; // exception handlers need stack maps too
            in.skipBytes(handlers * 8);
            boolean stackMap = false;
            for (int k = in.readUnsignedShort(); k > 0; k--) {
                stackMap |= utf(in.readUnsignedShort()).equals("StackMap");
                in.skipBytes(in.readInt());
            }
            for (int pc = 0; pc < code.length;) {
                int op = code[pc] & 255;
                if (floating(op)) {
                    notes.add(method + " uses floating point (opcode 0x" + Integer.toHexString(op) + ")");
                }
                if (op >= 0x99 && op <= 0xa8 || op == 0xaa || op == 0xab || op == 0xc6 || op == 0xc7
                        || op == 0xc8 || op == 0xc9) {
                    branches = true;
                }
                if (op == 0xaa || op == 0xab) {
                    int p = (pc + 4) & ~3;
                    if (op == 0xaa) {
                        int lo = i32(code, p + 4), hi = i32(code, p + 8);
                        pc = p + 12 + 4 * (hi - lo + 1);
                    } else {
                        pc = p + 8 + 8 * i32(code, p + 4);
                    }
                } else if (op == 0xc4) {
                    pc += (code[pc + 1] & 255) == 0x84 ? 6 : 4;
                } else {
                    int len = LENGTHS.charAt(op) - '0';
                    if (len == 0) {
                        notes.add(method + " has opcode 0x" + Integer.toHexString(op) + " that CLDC 1.0 does not run");
                        break;
                    }
                    pc += len;
                }
            }
            if (branches && !stackMap) {
                notes.add(method + " has no StackMap (not preverified)");
            }
        }

        static int i32(byte[] b, int p) {
            return (b[p] << 24) | (b[p + 1] & 255) << 16 | (b[p + 2] & 255) << 8 | (b[p + 3] & 255);
        }

        static boolean floatingType(String descriptor) {
            return descriptor.replaceAll("L[^;]*;", "").matches(".*[FD].*");
        }

        List<String> problems(Map<String, ClassFile> own, Api api) {
            List<String> p = new ArrayList<>(notes);
            if (major < 45 || major > 48) {
                p.add("class file version " + major + "." + minor + ", phones take 45 to 48");
            }
            for (int i = 1; i < pool.length; i++) {
                if (tags[i] == 4 || tags[i] == 6) {
                    p.add("floating point constant " + pool[i]);
                }
            }
            for (String[] m : members) {
                if (floatingType(m[1])) {
                    p.add("member " + m[0] + " has floating point type " + m[1]);
                }
            }
            for (String c : classRefs()) {
                if (!own.containsKey(c) && api.get(c) == null) {
                    p.add("uses " + c + ", which is neither in the JAR nor in CLDC 1.0 / MIDP 1.0");
                }
                for (String bad : MIDP2) {
                    if (!bad.contains(".") && c.startsWith(bad)) {
                        p.add("uses " + c + " (not in MIDP 1.0)");
                    }
                }
            }
            for (int i = 1; i < pool.length; i++) {
                if (tags[i] >= 9 && tags[i] <= 11) {
                    int[] ref = (int[]) pool[i];
                    String owner = className(ref[0]);
                    int[] nt = (int[]) pool[ref[1]];
                    String mn = utf(nt[0]), md = utf(nt[1]);
                    if (floatingType(md)) {
                        p.add("uses " + owner + "." + mn + md + " with floating point");
                    }
                    String where = declaring(owner, mn, md, own, api);
                    if (where == null) {
                        p.add("uses " + owner + "." + mn + md + ", which CLDC 1.0 / MIDP 1.0 does not have");
                    } else {
                        for (String bad : MIDP2) {
                            if (bad.equals(where + "." + mn)) {
                                p.add("uses " + where + "." + mn + " (not in MIDP 1.0)");
                            }
                        }
                    }
                }
            }
            return p;
        }

        /** The class that declares the member, searched up the hierarchy. */
        static String declaring(String owner, String mn, String md, Map<String, ClassFile> own, Api api) {
            ArrayDeque<String> todo = new ArrayDeque<>(List.of(owner));
            while (!todo.isEmpty()) {
                String c = todo.pop();
                if (c.startsWith("[")) {
                    c = "java/lang/Object";
                }
                ClassFile f = own.containsKey(c) ? own.get(c) : api.get(c);
                if (f == null) {
                    continue;
                }
                for (String[] m : f.members) {
                    if (m[0].equals(mn) && m[1].equals(md)) {
                        return c;
                    }
                }
                if (f.superName != null) {
                    todo.add(f.superName);
                }
                todo.addAll(f.interfaces);
            }
            return null;
        }
    }

    private Templates() {}

}
