// SPDX-License-Identifier: GPL-3.0-or-later
import java.io.ByteArrayOutputStream;
import java.io.DataInputStream;
import java.io.DataOutputStream;
import java.io.ByteArrayInputStream;
import java.io.InputStream;

import javax.microedition.lcdui.Font;
import javax.microedition.rms.RecordStore;

/**
 * The book inside this JAR and where the reader is in it.
 *
 * Files at the archive root, all UTF-8 with byte-order mark and CR LF:
 * "capter" (an empty line, then per chapter its name followed by a
 * four-digit piece count, and its size in characters), "text" (book name,
 * message, maker and the key help) and the pieces of chapter k (1-based)
 * named 10000*k+j. A piece starts with a header line (CR count and
 * positions, digits only); a piece cut from a longer chapter carries an extra
 * CR LF that is not part of the text.
 *
 * A position inside a chapter is piece << 11 | offset. Only two pieces are
 * held at a time: the one being read and its neighbour.
 */
class Book {
    /** Chapter -1 is the book information text (cover and help). */
    static final int INFO = -1;
    static final int MAXMARKS = 20;
    /* Closing marks never start a line, opening marks never end one. */
    static final String CLOSING = "，。、；：？！）》」』】〕〉”’．…,.;:?!)]}";
    static final String OPENING = "（《「『【〔〈“‘([{";

    int n;          // chapters in this volume
    char[] names;   // all chapter names, one after the other
    int[] nameAt;   // name i is names[nameAt[i] .. nameAt[i + 1])
    int[] pieces;   // piece count per chapter
    /* The book's number of each chapter: a chapter of more than 9999 pieces
       goes on in an entry of the same name after a full one, the same
       chapter continued. */
    int[] no;
    int[] size;     // chapter size from the index, for the progress figure
    int total;
    char[] info = new char[0];
    String title = "";
    /* Of a book cut into volumes (file "volume"): this volume's number (0: not
       cut), the count, the book's number of the first chapter, whether that
       chapter began in the volume before, the next volume's JAR. */
    int vol, vols, first = 1;
    boolean cont;
    String nextJar = "";

    /* Two cached pieces: key 10000*(chapter+1)+piece, text. */
    private final int[] key = {-1, -1};
    private final char[][] slot = new char[2][];
    private int mru;

    /* Where the reader is: chapter, page start, next page start. */
    int c = INFO, p, q;
    /* Lines of the current page. */
    int[] ls = new int[80], le = new int[80];
    int nl;
    /* Layout: text width and lines per page. */
    int w = 100, rows = 1;
    private int end; // end of the last line laid out
    /* Per piece of the current chapter the first line start laid out in it
       (-1: none yet), valid for chapter ac at width aw; empty: blank chapter. */
    private int[] anc;
    private int ac = -2, aw;
    private boolean empty;
    /* Characters per chapter, counted when first asked for (0: not yet). */
    private int[] len;

    /* Preferences (auto-page every `every` seconds), last reading position and bookmarks. */
    int font = 1, skin, night, full, space, every = 5;
    int lc = -1, lp;
    int nb;
    int[] bc = new int[MAXMARKS], bp = new int[MAXMARKS];
    String[] bt = new String[MAXMARKS];
    String store = "vamo";

    private Font f;
    private int[] wc;
    /* The first character shown before a row of font changes, -1 when the page has moved since. */
    private int hold = -1;
    /* Records made and the newest one stored, so that an older one never replaces it. */
    int made;
    private int kept;

    // ---- files ------------------------------------------------------------

    InputStream open(String name) {
        return getClass().getResourceAsStream("/" + name);
    }

    private InputStream in;
    private final byte[] buf = new byte[512];
    private int bufLen, bufAt;

    /** The next byte of the open file, -1 at its end or on a read error. */
    private int rd() {
        if (bufAt == bufLen) {
            bufAt = 0;
            try {
                bufLen = in.read(buf, 0, buf.length);
            } catch (Exception e) {
                bufLen = 0; // keep what was read: a damaged file still shows its start
            }
            if (bufLen <= 0) {
                bufLen = 0;
                return -1;
            }
        }
        return buf[bufAt++] & 255;
    }

    private boolean reopen(String name) {
        try {
            if (in != null) {
                in.close();
            }
        } catch (Exception e) {
            // nothing to do about a stream that will not close
        }
        bufLen = bufAt = 0;
        in = name == null ? null : open(name);
        return in != null;
    }

    /**
     * The whole content of an archive file, decoded from UTF-8 (a byte-order
     * mark is skipped, a cut sequence ends it); null when the file is missing.
     * The file is read twice, first to count its characters, so that nothing
     * but the exact result is held.
     */
    char[] file(String name) {
        int n = 0, x;
        if (!reopen(name)) {
            return null;
        }
        while ((x = rd()) >= 0 && n < 1 << 16) {
            if ((x & 0xC0) != 0x80) {
                n += x >= 0xF0 ? 2 : 1;
            }
        }
        char[] t = new char[n];
        n = 0;
        if (reopen(name)) {
            read:
            while (n < t.length && (x = rd()) >= 0) {
                int more = x >= 0xF0 ? 3 : x >= 0xE0 ? 2 : x >= 0xC0 ? 1 : 0;
                x &= more == 0 ? 255 : 0x7F >> more + 1;
                for (int k = 0; k < more; k++) {
                    int y = rd();
                    if (y < 0) {
                        break read;
                    }
                    x = x << 6 | y & 63;
                }
                if (x >= 0x10000) {
                    if (n + 2 > t.length) {
                        break;
                    }
                    x -= 0x10000;
                    t[n++] = (char) (0xD800 + (x >> 10));
                    x = 0xDC00 + (x & 0x3FF);
                }
                if (x != 0xFEFF || n > 0) {
                    t[n++] = (char) x;
                }
            }
        }
        reopen(null);
        return n == t.length ? t : copy(t, 0, n);
    }

    static char[] copy(char[] t, int s, int e) {
        char[] x = new char[e - s];
        System.arraycopy(t, s, x, 0, e - s);
        return x;
    }

    /** Reads the chapter index and the book information. */
    void load() {
        char[] t = file("capter");
        if (t == null) {
            t = new char[0];
        }
        int lines = 1;
        for (int i = 0; i < t.length; i++) {
            if (t[i] == '\n') {
                lines++;
            }
        }
        int max = lines / 2 + 1;
        nameAt = new int[max + 1];
        pieces = new int[max];
        size = new int[max];
        int i = 0, s, e, d, at = 0;
        // The index starts with an empty line.
        while (i < t.length && (t[i] == '\r' || t[i] == '\n')) {
            i++;
        }
        // Names are moved to the front of t as they are found, one after the other.
        while (i < t.length && n < max) {
            s = i;
            while (i < t.length && t[i] != '\r' && t[i] != '\n') {
                i++;
            }
            e = i;
            i = next(t, i);
            d = num(t, e - 4, e);
            if (d < 0) {
                d = 1;
            } else {
                e -= 4;
            }
            pieces[n] = d < 1 ? 1 : d;
            nameAt[n] = at;
            System.arraycopy(t, s, t, at, e - s);
            at += e - s;
            s = i;
            while (i < t.length && t[i] != '\r' && t[i] != '\n') {
                i++;
            }
            d = num(t, s, i);
            size[n] = d < 0 ? 0 : d;
            total += size[n];
            nameAt[++n] = at;
            i = next(t, i);
        }
        names = copy(t, 0, at);
        t = file("text");
        if (t != null) {
            s = 0;
            while (s < t.length && (t[s] == '\r' || t[s] == '\n')) {
                s++;
            }
            info = copy(t, s, Math.min(t.length, s + 2000));
            e = s;
            while (e < t.length && t[e] != '\r' && t[e] != '\n') {
                e++;
            }
            title = new String(t, s, e - s).trim();
            t = file("volume");
            int[] v = new int[4];
            for (int k = 0, j = 0; t != null && k < 5; k++) {
                i = j;
                while (j < t.length && t[j] != '\r' && t[j] != '\n') {
                    j++;
                }
                if (k < 4) {
                    v[k] = num(t, i, j);
                } else {
                    nextJar = new String(t, i, j - i).trim();
                }
                j = next(t, j);
            }
            String x = new String(info);
            if (v[0] > 0 && v[1] >= v[0]) {
                vol = v[0];
                vols = v[1];
                first = Math.max(1, v[2]);
                cont = v[3] == 1;
                e = x.indexOf('\n') + 1;
                x = x.substring(0, e) + "第" + vol + "册/共" + vols + "册\r\n" + x.substring(e);
            }
            // The keys this reader has beyond those the book's help lists.
            e = x.indexOf("【手机");
            e = e < 0 ? x.length() : e;
            info = (x.substring(0, e) + "-“1”,“3”键-上一章/下一章\r\n-“4”键-自动翻页,上下键调快慢\r\n"
                    + "-“6”键-更改行距\r\n-选项“跳转”-到本章某处或第几章\r\n" + x.substring(e)).toCharArray();
        }
        no = new int[n + 1];
        no[0] = first;
        for (i = 1; i < n; i++) {
            no[i] = no[i - 1] + (goesOn(i) ? 0 : 1);
        }
    }

    /** Whether chapter i continues chapter i - 1: a full part (9999 pieces) and its name again. */
    private boolean goesOn(int i) {
        int s = nameAt[i - 1], l = nameAt[i] - s;
        if (pieces[i - 1] != 9999 || nameAt[i + 1] - nameAt[i] != l) {
            return false;
        }
        while (--l >= 0 && names[s + l] == names[nameAt[i] + l]) {
        }
        return l < 0;
    }

    /** The book's number of the volume's last chapter. */
    int lastNo() {
        return n > 0 ? no[n - 1] : first - 1;
    }

    /** The first chapter of the volume with the book's number k or more (the last when none). */
    int chapter(int k) {
        int i = 0;
        while (i < n - 1 && no[i] < k) {
            i++;
        }
        return i;
    }

    private static int next(char[] t, int i) {
        if (i < t.length && t[i] == '\r') {
            i++;
        }
        if (i < t.length && t[i] == '\n') {
            i++;
        }
        return i;
    }

    /** The decimal number in t[s..e), or -1 when it is not one. */
    static int num(char[] t, int s, int e) {
        if (s < 0 || s >= e || e - s > 9) {
            return -1;
        }
        int v = 0;
        for (; s < e; s++) {
            int d = t[s] - '0';
            if (d < 0 || d > 9) {
                return -1;
            }
            v = v * 10 + d;
        }
        return v;
    }

    /** Chapter i's name, marked when the volume begins inside it. */
    String name(int i) {
        return i < 0 || i >= n ? title
                : new String(names, nameAt[i], nameAt[i + 1] - nameAt[i]) + ((i == 0 ? cont : no[i] == no[i - 1]) ? "（续）" : "");
    }

    /** The text of piece j of chapter ch. */
    char[] piece(int ch, int j) {
        int k = 10000 * (ch + 1) + j;
        if (key[mru] == k) {
            return slot[mru];
        }
        int o = 1 - mru;
        if (key[o] != k) {
            key[o] = -1;
            slot[o] = null; // let the old piece go before the new one is read
            char[] t = ch < 0 ? info : file(String.valueOf(k));
            if (t == null) {
                t = ("\r\n（缺少文件" + k + "）\r\n").toCharArray();
            } else if (ch >= 0) {
                // Skip the header line; drop the CR LF added to a cut piece.
                int s = 0, e = t.length;
                while (s < e && t[s++] != '\n') {
                }
                if (e - s >= 1402 && t[e - 1] == '\n' && t[e - 2] == '\r') {
                    e -= 2;
                }
                t = copy(t, s, Math.min(e, s + 2047));
            }
            key[o] = k;
            slot[o] = t;
        }
        mru = o;
        return slot[o];
    }

    // ---- positions in the current chapter ------------------------------------

    int count() {
        return c < 0 ? 1 : pieces[c];
    }

    /** The position past the last character of the chapter. */
    int last() {
        return count() << 11;
    }

    /** Moves a position at the end of a piece to the start of the next one. */
    int norm(int x) {
        int j = x >> 11, o = x & 2047;
        while (j < count() && o >= piece(c, j).length) {
            j++;
            o = 0;
        }
        return j < count() ? j << 11 | o : last();
    }

    /** The character at a normalized position, -1 at the chapter's end. */
    int at(int x) {
        int j = x >> 11;
        if (x < 0 || j >= count()) {
            return -1;
        }
        char[] t = piece(c, j);
        x &= 2047;
        return x < t.length ? t[x] : -1;
    }

    /** The position before x, -1 at the chapter's start. */
    int prior(int x) {
        if ((x & 2047) > 0) {
            return x - 1;
        }
        for (int j = (x >> 11) - 1; j >= 0; j--) {
            int len = piece(c, j).length;
            if (len > 0) {
                return j << 11 | len - 1;
            }
        }
        return -1;
    }

    // ---- layout -------------------------------------------------------------------

    void setFont(Font font) {
        f = font;
        wc = new int[512];
        ac = -2; // the line starts known were found with the old font
    }

    /** Width of a character in the reading font, cached. */
    int cw(char ch) {
        int i = ch & 511, e = wc[i];
        if (e >>> 8 != ch + 1) {
            e = Math.min(255, Math.max(0, f.charWidth(ch)));
            wc[i] = (ch + 1) << 8 | e;
        }
        return e & 255;
    }

    /**
     * Lays out the line starting at x, which must be a line start (the
     * chapter's start, a place after a line break or where an earlier line
     * ended); returns where the next line starts.
     */
    int line(int x) {
        int used = 0, ch, j = x >> 11;
        anchors();
        if (j < anc.length && (anc[j] < 0 || x < anc[j])) {
            anc[j] = x;
        }
        end = x;
        while ((ch = at(end)) >= 0) {
            if (ch == '\n' || ch == '\r') {
                x = norm(end + 1);
                return ch == '\r' && at(x) == '\n' ? norm(x + 1) : x;
            }
            int cw = cw((char) ch);
            if (used + cw > w && end != x) {
                // Move the break back past closing marks after it and opening marks before it.
                int b = end;
                while (b > x && (CLOSING.indexOf(at(b)) >= 0 || OPENING.indexOf(at(prior(b))) >= 0)) {
                    b = prior(b);
                }
                if (b > x) {
                    end = b;
                }
                break;
            }
            used += cw;
            end = norm(end + 1);
        }
        return end;
    }

    /** Forgets the line starts known when the chapter or the text width has changed. */
    private void anchors() {
        if (ac != c || aw != w || anc == null) {
            ac = c;
            aw = w;
            anc = new int[count()];
            for (int i = 0; i < anc.length; i++) {
                anc[i] = -1;
            }
            empty = c >= 0 && blank(norm(0));
        }
    }

    /** The first position from x on that holds more than white space or a line break (the end when none). */
    int text(int x) {
        int ch;
        while ((ch = at(x)) >= 0 && (ch <= ' ' || ch == 0x3000)) {
            x = norm(x + 1);
        }
        return x;
    }

    /** Whether nothing but white space and line breaks follows x in the chapter. */
    boolean blank(int x) {
        return at(text(x)) < 0;
    }

    /**
     * Start of the chapter's last page with text, as paging forward from the
     * chapter's start meets it: every rows-th line start, up to the last line
     * with text. (t, the next text, is looked for again only once passed, so
     * that a long run of blank lines is crossed once.)
     */
    int lastPage() {
        int x = norm(0), s = x, t = text(x);
        for (int k = 0; at(t) >= 0; k++) {
            if (k % rows == 0) {
                s = x;
            }
            x = line(x);
            if (x > t) {
                t = text(x);
            }
        }
        return s;
    }

    /** Whether the current chapter holds nothing but white space and line breaks. */
    boolean blank() {
        anchors();
        return empty;
    }

    /** Lays out the page at p. */
    void layout() {
        int x = p;
        nl = 0;
        if (blank()) {
            x = last();
        }
        while (nl < rows && nl < ls.length && at(x) >= 0) {
            ls[nl] = x;
            x = line(x);
            le[nl++] = end;
        }
        q = x;
    }

    /**
     * Start of the page that ends where r starts: the rows-th line start
     * before r, laid out forward from a known line start (the paragraph's
     * start, or the first line laid out in r's piece or the nearest piece
     * before it that has one), so that paging back meets the same line starts
     * as paging forward, however long the paragraph.
     */
    int back(int r) {
        for (int need = rows; need > 0 && prior(r) >= 0;) {
            anchors();
            int s = prior(r), a = -1;
            for (int j = s >> 11; j >= 0 && a < 0; j--) {
                a = anc[j] < r ? anc[j] : -1;
            }
            if (at(s) == '\n' && at(prior(s)) == '\r') {
                s = prior(s);
            }
            for (int y; s > a && (y = prior(s)) >= 0 && at(y) != '\n' && at(y) != '\r';) {
                s = y;
            }
            int k = 0;
            for (int x = s; x < r; x = line(x)) {
                k++;
            }
            if (k >= need) {
                for (k -= need; k > 0; k--) {
                    s = line(s);
                }
                return s;
            }
            need -= k;
            r = s;
        }
        return r;
    }

    /** Goes to position x of chapter ch; a place among the blank lines that end it is its last page. */
    void go(int ch, int x) {
        c = ch < INFO || ch >= n ? INFO : ch;
        x = x < 0 || x >> 11 >= count() ? 0 : x;
        p = norm(x);
        hold = -1;
        if (c >= 0 && x > 0 && !blank() && blank(p)) {
            p = lastPage();
        }
    }

    /**
     * Turns to the next page; false at the end of the volume. The blank lines
     * that end a chapter get no page of their own.
     */
    boolean next() {
        layout();
        hold = -1;
        if (!blank(q)) {
            p = q;
        } else if (c >= 0 && c + 1 < n) {
            go(c + 1, 0);
        } else {
            return false;
        }
        return true;
    }

    /** Turns to the previous page; false at the start of the volume. */
    boolean prev() {
        hold = -1;
        if (prior(p) >= 0 && !blank()) {
            p = back(p);
        } else if (c > 0) {
            go(c - 1, 0);
            if (!blank()) {
                p = lastPage();
            }
        } else {
            return false;
        }
        return true;
    }

    /**
     * After a font change: the page starts at the line that holds the first
     * character shown before the first of the changes since the page moved.
     */
    void refont() {
        if (hold < 0) {
            hold = p;
        }
        p = hold;
        align();
    }

    /** Moves p to the start of the line it lies in (after a width change). */
    void align() {
        if (at(p) >= 0 && prior(p) >= 0) {
            int r = rows;
            rows = 1;
            p = back(norm(p + 1));
            rows = r;
        }
    }

    /**
     * Characters in chapter ch: 1400 for every cut piece and the length of
     * the last piece, counted in its file once (its header line left out).
     */
    int length(int ch) {
        if (len == null) {
            len = new int[n];
        }
        if (len[ch] == 0) {
            int k = 0, h = 0, x;
            if (reopen(String.valueOf(10000 * (ch + 1) + pieces[ch] - 1))) {
                while ((x = rd()) >= 0) {
                    if ((x & 0xC0) != 0x80) {
                        k++;
                        if (h == 0 && x == '\n') {
                            h = k;
                        }
                    }
                }
            }
            reopen(null);
            len[ch] = (pieces[ch] - 1) * 1400 + Math.max(0, k - h) + 1;
        }
        return len[ch] - 1;
    }

    /** How far into chapter ch position x is, in percent. */
    int percent(int ch, int x) {
        return (int) Math.min(100, ((x >> 11) * 1400L + (x & 2047)) * 100 / Math.max(1, length(ch)));
    }

    /** Goes to the page at pct percent of chapter ch. */
    void jump(int ch, int pct) {
        go(ch, 0);
        int t = (int) ((long) length(c) * pct / 100), j = Math.min(t / 1400, count() - 1);
        p = norm(j << 11 | Math.min(2047, t - j * 1400));
        if (blank(p)) {
            p = blank() ? norm(0) : lastPage();
        } else {
            align();
        }
    }

    // ---- bookmarks and the record store -----------------------------------------

    /** Sets a bookmark at the current page; false when not reading a chapter. */
    boolean mark() {
        if (c < 0) {
            return false;
        }
        int i = 0;
        while (i < nb && (bc[i] != c || bp[i] != p)) {
            i++;
        }
        if (i == nb && nb < MAXMARKS) {
            nb++;
        }
        i = Math.min(i, MAXMARKS - 1);
        for (; i > 0; i--) {
            bc[i] = bc[i - 1];
            bp[i] = bp[i - 1];
            bt[i] = bt[i - 1];
        }
        StringBuffer s = new StringBuffer();
        for (int x = p, ch; s.length() < 12 && (ch = at(x)) >= 0; x = norm(x + 1)) {
            if (ch > ' ' && ch != 0x3000) {
                s.append((char) ch);
            }
        }
        bc[0] = c;
        bp[0] = p;
        bt[0] = s.toString();
        return true;
    }

    void unmark(int i) {
        if (i >= 0 && i < nb) {
            nb--;
            for (; i < nb; i++) {
                bc[i] = bc[i + 1];
                bp[i] = bp[i + 1];
                bt[i] = bt[i + 1];
            }
        }
    }

    byte[] encode() {
        try {
            ByteArrayOutputStream b = new ByteArrayOutputStream();
            DataOutputStream o = new DataOutputStream(b);
            if (c >= 0) {
                lc = c;
                lp = p;
            }
            o.writeByte(1);
            o.writeByte(font);
            o.writeByte(skin);
            o.writeByte(night);
            o.writeByte(full);
            o.writeShort(lc);
            o.writeInt(lp);
            o.writeByte(nb);
            for (int i = 0; i < nb; i++) {
                o.writeShort(bc[i]);
                o.writeInt(bp[i]);
                o.writeUTF(bt[i]);
            }
            // Added later: readers before them stop reading here.
            o.writeByte(space);
            o.writeByte(every);
            made++;
            return b.toByteArray();
        } catch (Exception e) {
            return new byte[0];
        }
    }

    /** Restores what encode wrote; anything unreadable keeps the defaults. */
    void decode(byte[] r) {
        try {
            DataInputStream in = new DataInputStream(new ByteArrayInputStream(r));
            if (in.readByte() != 1) {
                return;
            }
            font = in.readByte() % 3;
            skin = in.readByte() % View.SKINS;
            night = in.readByte() & 1;
            full = in.readByte() & 1;
            int ch = in.readShort();
            lp = in.readInt();
            lc = ch < n ? ch : -1;
            for (int k = in.readByte(); k > 0 && nb < MAXMARKS; k--) {
                ch = in.readShort();
                bp[nb] = in.readInt();
                bt[nb] = in.readUTF();
                if (ch >= 0 && ch < n) {
                    bc[nb++] = ch;
                }
            }
            space = in.readByte() % 3;
            every = Math.max(1, Math.min(30, in.readByte()));
        } catch (Exception e) {
            // a short or damaged record: keep what was read
        }
        font = Math.abs(font);
        skin = Math.abs(skin);
        space = Math.abs(space);
    }

    /** Record store name for this book: its MIDlet name, at most 32 characters. */
    static String storeName(String book) {
        if (book == null) {
            book = "";
        }
        book = "vb" + book.trim();
        return book.length() <= 32 ? book : book.substring(0, 24) + Integer.toHexString(book.hashCode());
    }

    void restore() {
        try {
            RecordStore rs = RecordStore.openRecordStore(store, true);
            if (rs.getNumRecords() > 0) {
                decode(rs.getRecord(1));
            }
            rs.closeRecordStore();
        } catch (Exception e) {
            // nothing kept yet, or the store cannot be read: start fresh
        }
    }

    /** Stores the record of this moment. */
    void save() {
        write(encode(), made);
    }

    /** Stores record number k of those encoded, unless a newer one is stored already. */
    synchronized void write(byte[] b, int k) {
        if (k <= kept) {
            return;
        }
        kept = k;
        try {
            RecordStore rs = RecordStore.openRecordStore(store, true);
            if (rs.getNumRecords() == 0) {
                rs.addRecord(b, 0, b.length);
            } else {
                rs.setRecord(1, b, 0, b.length);
            }
            rs.closeRecordStore();
        } catch (Exception e) {
            // full or failing store: reading goes on without it
        }
    }
}
