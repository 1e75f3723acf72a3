// SPDX-License-Identifier: GPL-3.0-or-later
import java.util.Calendar;

import javax.microedition.lcdui.Canvas;
import javax.microedition.lcdui.Command;
import javax.microedition.lcdui.CommandListener;
import javax.microedition.lcdui.Displayable;
import javax.microedition.lcdui.Font;
import javax.microedition.lcdui.Graphics;

/**
 * The reader's one screen. The page, the options menu and the chapter and
 * bookmark lists are all drawn here by hand, so every phone shows the same
 * and no high-level screen can take the soft keys away.
 *
 * Soft keys arrive either as key codes (Keys holds the codes of this phone
 * family) or, where the phone shows the two commands, as commands.
 */
class View extends Canvas implements CommandListener, Runnable {
    static final int SKINS = 5;
    /* Per skin page, text, bar, bar text and selection colours; night last. */
    private static final String COLORS = "FFFFFF1A1A1A3A6EA5FFFFFFC8DCF0"
            + "F4ECD83C2F1E8B6B3DFFF8E8E2D3AE"
            + "CCE8CF1F3A224A7A50F0FFF0A9D3AE"
            + "DDE8F514284A2B4C7EFFFFFFB6CCE8"
            + "F8E1E74A1F2BA0455EFFFFFFEDBFCB"
            + "0000008C8C8C1C1C1C9A9A9A333333";
    private static final String[] MENU_ITEMS = {"5 章节列表", "# 设书签", "9 读取书签", "跳转", "* 更改皮肤",
        "0 白天/黑夜", "7 更改字体", "左右 开/关全屏", "使用帮助", "退出"};
    /* What each menu item does, as the key that does the same on a page:
       \2 is the game action LEFT (full screen), j the jump, h the help, q exit. */
    private static final String MENU_KEYS = "5#9j*07\2hq";
    static final int READ = 0, MENU = 1, CHAPTERS = 2, MARKS = 3, JUMP = 4;
    static final int SOFT_LEFT = -1, SOFT_RIGHT = -2;

    final demo app;
    final Book b;
    int mode;
    boolean cover = true;
    int sel, top;
    String msg;
    private Font tf, sf;
    private int lh, bh, ih;
    private volatile int held;
    private volatile Thread th;
    private int turns;
    /* Whether the place read is to be stored by the screen's thread. */
    private boolean due;
    /* When auto-page turns next (0: off) and when a brief message goes. */
    private long autoAt, noteAt;
    private long keyAt, cmdAt, heldAt;
    /* Marquee steps since the last key; whether something scrolls; the minute the clock shows (-1: none). */
    private int ticks;
    private boolean moving;
    private long minute = -1;
    /* The jump's percent and chapter number as typed, -1 while empty. */
    private final int[] jv = new int[2];
    private final Command opt = new Command("选项", Command.SCREEN, 1);

    View(demo app, Book b) {
        this.app = app;
        this.b = b;
        addCommand(opt);
        addCommand(new Command("返回", Command.BACK, 1));
        setCommandListener(this);
        sf = Font.getFont(Font.FACE_SYSTEM, Font.STYLE_PLAIN, Font.SIZE_SMALL);
        bh = sf.getHeight() + 4;
        fonts();
        b.go(Book.INFO, 0);
    }

    private void fonts() {
        tf = Font.getFont(Font.FACE_SYSTEM, Font.STYLE_PLAIN,
                b.font == 0 ? Font.SIZE_SMALL : b.font == 1 ? Font.SIZE_MEDIUM : Font.SIZE_LARGE);
        b.setFont(tf);
        int h = tf.getHeight();
        lh = h + (b.space == 0 ? h / 5 + 1 : b.space == 1 ? h / 2 : h); // some phones draw glyphs taller than they say
        ih = h + 4;
    }

    /** Text width and lines per page for the screen as it is now. */
    private void fit() {
        if (b.w != getWidth() - 6) {
            b.w = getWidth() - 6;
            b.align(); // a screen that changed its width: back onto a line start
        }
        b.rows = Math.max(1, Math.min(b.ls.length, (getHeight() - (bars() ? bh * 2 + 2 : 2)) / lh));
    }

    /** Whether the title bar and the soft key labels show: always on the cover and the help. */
    private boolean bars() {
        return b.full == 0 || b.c < 0;
    }

    private int color(int i) {
        i = (b.night == 1 ? SKINS : b.skin) * 30 + i * 6;
        return Integer.parseInt(COLORS.substring(i, i + 6), 16);
    }

    // ---- keys ------------------------------------------------------------------------

    /** A key code as soft key, game action (arrows, fire) or the key's character. */
    private int act(int k) {
        if (k == Keys.LEFT || k == Keys.LEFT2) {
            return SOFT_LEFT;
        }
        if (k == Keys.RIGHT || k == Keys.RIGHT2) {
            return SOFT_RIGHT;
        }
        if (k == KEY_NUM2 && mode != JUMP) {
            return UP;
        }
        if (k == KEY_NUM8 && mode != JUMP) {
            return DOWN;
        }
        if (k >= KEY_NUM0 && k <= KEY_NUM9 || k == KEY_STAR || k == KEY_POUND) {
            return k;
        }
        try {
            return getGameAction(k);
        } catch (Exception e) {
            return 0; // some phones throw for codes they have no action for
        }
    }

    protected void keyPressed(int k) {
        synchronized (this) {
            held = 0;
            int a = act(k);
            if (a < 0 && echo(true)) {
                return;
            }
            key(a);
            if (mode == READ && autoAt == 0 && (a == UP || a == DOWN) && !hasRepeatEvents()) {
                held = a;
                heldAt = System.currentTimeMillis();
                notify();
            }
        }
        repaint();
    }

    protected void keyRepeated(int k) {
        int a = act(k);
        synchronized (this) {
            if (mode == READ && autoAt == 0 && (a == UP || a == DOWN)) {
                turn(a == DOWN);
            }
        }
        repaint();
    }

    protected void keyReleased(int k) {
        held = 0;
    }

    public void commandAction(Command c, Displayable d) {
        synchronized (this) {
            held = 0;
            if (!echo(false)) {
                key(c == opt ? SOFT_LEFT : SOFT_RIGHT);
            }
        }
        repaint();
    }

    /**
     * Whether a soft key event repeats one that just came the other way: a few
     * phones send both the key code and the command for one press.
     */
    private boolean echo(boolean byKey) {
        long now = System.currentTimeMillis();
        if (now - (byKey ? cmdAt : keyAt) < 200) {
            return true;
        }
        if (byKey) {
            keyAt = now;
        } else {
            cmdAt = now;
        }
        return false;
    }

    /**
     * The screen's clock: pages on while an arrow is held (on phones that
     * send no repeat events) and while auto-page runs, moves the names that
     * scroll, keeps the clock in the title bar right, takes a brief message
     * away and stores the place read, after the key that moved it is done.
     * Runs while the screen is shown.
     */
    public void run() {
        Thread me = Thread.currentThread();
        try {
            while (th == me) {
                byte[] r = null;
                int k = 0;
                boolean paint;
                synchronized (this) {
                    long now = System.currentTimeMillis(), wake = held != 0 || moving ? 150 : 1000;
                    if (autoAt > 0) {
                        wake = Math.min(wake, autoAt - now);
                    }
                    if (noteAt > 0) {
                        wake = Math.min(wake, noteAt - now);
                    }
                    if (!due && wake > 0) {
                        wait(wake);
                    }
                    if (th != me) {
                        break; // hidden meanwhile: hideNotify has stored the place
                    }
                    now = System.currentTimeMillis();
                    paint = moving || minute >= 0 && minute != now / 60000;
                    if (held != 0 && now - heldAt >= 500) {
                        turn(held == DOWN);
                        paint = true;
                    }
                    if (autoAt > 0 && now >= autoAt) {
                        autoAt = turn(true) ? now + b.every * 1000L : 0;
                        paint = true;
                    }
                    if (noteAt > 0 && now >= noteAt) {
                        noteAt = 0;
                        msg = null;
                        paint = true;
                    }
                    if (due) {
                        due = false;
                        r = b.encode();
                        k = b.made;
                    }
                    if (paint) {
                        ticks++;
                    }
                }
                if (r != null) {
                    b.write(r, k);
                }
                if (paint) {
                    repaint();
                }
            }
        } catch (Exception e) {
            // interrupted: the screen goes without its clock until shown again
        }
    }

    protected synchronized void hideNotify() {
        held = 0;
        autoAt = 0;
        th = null;
        due = false;
        notify();
        b.save();
    }

    /** Has the screen's thread store the place read. */
    private void store() {
        due = true;
        notify();
    }

    /** A message that goes by itself after a moment. */
    private void note(String s) {
        msg = s;
        noteAt = System.currentTimeMillis() + 1500;
        notify();
    }

    void key(int a) {
        msg = null;
        ticks = 0;
        try {
            fit();
            if (autoAt > 0) {
                // Up and down set the pace of auto-page, any other key stops it.
                if (a == UP || a == DOWN) {
                    b.every = Math.max(1, Math.min(30, b.every + (a == UP ? -1 : 1)));
                    autoAt = System.currentTimeMillis() + b.every * 1000L;
                    note("自动翻页：" + b.every + "秒");
                } else {
                    autoAt = 0;
                    note("自动翻页已停止");
                }
            } else if (mode == READ) {
                read(a);
            } else if (mode == JUMP) {
                jump(a);
            } else if (mode == MENU) {
                int n = MENU_ITEMS.length;
                mode = READ;
                if (a == UP || a == DOWN) {
                    sel = (sel + (a == UP ? n - 1 : 1)) % n;
                    mode = MENU;
                } else if (a == SOFT_LEFT || a == FIRE) {
                    read(MENU_KEYS.charAt(sel));
                } else if (a != SOFT_RIGHT) {
                    read(a);
                }
            } else {
                pick(a);
            }
        } catch (Throwable e) {
            msg = "无法读取";
        }
    }

    private void read(int a) {
        switch (a) {
            case SOFT_LEFT:
                if (b.c < 0) {
                    leave();
                } else {
                    open(MENU);
                }
                break;
            case SOFT_RIGHT:
                if (b.c >= 0) {
                    open(CHAPTERS);
                } else if (cover) {
                    app.quit();
                } else {
                    leave();
                }
                break;
            case FIRE:
                if (b.c < 0) {
                    leave();
                }
                break;
            case UP:
            case DOWN:
                turn(a == DOWN);
                break;
            case LEFT:
            case RIGHT:
                b.full ^= 1;
                fit();
                break;
            case '*':
                b.skin = (b.skin + 1) % SKINS;
                b.night = 0;
                msg = "皮肤" + (b.skin + 1);
                break;
            case '0':
                b.night ^= 1;
                msg = b.night == 1 ? "黑夜模式" : "白天模式";
                break;
            case '#':
                msg = b.mark() ? "已设书签" : "这里不能设书签";
                b.save();
                break;
            case '9':
                open(MARKS);
                break;
            case 'j':
                open(JUMP);
                break;
            case '5':
                open(CHAPTERS);
                break;
            case '7':
                b.font = (b.font + 1) % 3;
                fonts();
                fit();
                b.refont();
                msg = "字体：" + "小中大".charAt(b.font);
                break;
            case '6':
                b.space = (b.space + 1) % 3;
                fonts();
                msg = "行距：" + "小中大".charAt(b.space);
                break;
            case '4':
                if (b.c >= 0) {
                    autoAt = System.currentTimeMillis() + b.every * 1000L;
                    note("自动翻页：" + b.every + "秒");
                }
                break;
            case '1':
            case '3':
                if (b.c >= 0) {
                    int ch = b.c + a - '2';
                    if (ch < 0) {
                        msg = "已是开头";
                    } else if (ch >= b.n) {
                        msg = end();
                    } else {
                        b.go(ch, 0);
                        store();
                    }
                }
                break;
            case 'h':
                if (b.c >= 0) {
                    b.lc = b.c;
                    b.lp = b.p;
                }
                cover = false;
                b.go(Book.INFO, 0);
                break;
            case 'q':
                app.quit();
                break;
            default:
        }
    }

    /** Leaves the cover or the help for the page last read, or the chapter list. */
    private void leave() {
        cover = false;
        if (b.lc >= 0) {
            b.go(b.lc, b.lp);
            b.align();
        } else {
            open(CHAPTERS);
        }
    }

    private void open(int m) {
        mode = m;
        top = 0;
        sel = m == CHAPTERS ? Math.max(0, b.c >= 0 ? b.c : b.lc) : 0;
        jv[0] = jv[1] = -1;
    }

    /**
     * Keys of the jump: digits type the percent of the chapter (first row)
     * or the chapter's number (second row), * takes a digit back, fire goes.
     */
    private void jump(int a) {
        int v = jv[sel], max = sel == 0 ? 100 : b.lastNo();
        if (a >= '0' && a <= '9') {
            v = v < 0 ? a - '0' : v * 10 + a - '0';
            jv[sel] = v > max ? a - '0' : v;
        } else if (a == '*') {
            jv[sel] = v < 10 ? -1 : v / 10;
        } else if (a == UP || a == DOWN) {
            sel ^= 1;
        } else if (a == SOFT_RIGHT) {
            mode = READ;
        } else if (a == SOFT_LEFT || a == FIRE) {
            mode = READ;
            int ch = jv[1] < 0 ? b.c : b.chapter(jv[1]);
            if (jv[0] >= 0 || ch != b.c) {
                b.jump(ch, Math.max(0, jv[0]));
                b.save();
            }
        }
    }

    /**
     * Turns a page; false at either end of the volume. The place is stored
     * on every chapter change and every second turn.
     */
    boolean turn(boolean forward) {
        int c = b.c;
        if (!(forward ? b.next() : b.prev())) {
            msg = forward ? end() : "已是开头";
            return false;
        }
        if (c != b.c || ++turns % 2 == 0) {
            turns = 0;
            store();
        }
        return true;
    }

    /** What the end of the volume says: where the book goes on, if it does. */
    private String end() {
        return "已到本卷末尾" + (b.nextJar.length() > 0 ? "\n请打开下一册：" + b.nextJar : "");
    }

    /** Keys in the chapter and bookmark lists. */
    private void pick(int a) {
        int n = items(), page = Math.max(1, (getHeight() - bh * 2) / ih);
        if (a == SOFT_RIGHT) {
            mode = READ;
        } else if (n == 0) {
            return;
        } else if (a == UP) {
            sel = sel > 0 ? sel - 1 : n - 1;
        } else if (a == DOWN) {
            sel = sel + 1 < n ? sel + 1 : 0;
        } else if (a == LEFT) {
            sel = Math.max(0, sel - page);
        } else if (a == RIGHT) {
            sel = Math.min(n - 1, sel + page);
        } else if (a == SOFT_LEFT || a == FIRE || a == '5') {
            if (mode == CHAPTERS) {
                b.go(sel, 0);
            } else {
                b.go(b.bc[sel], b.bp[sel]);
                b.align();
            }
            cover = false;
            mode = READ;
            b.save();
        } else if (a == '*' && mode == MARKS) {
            b.unmark(sel);
            sel = Math.max(0, Math.min(sel, b.nb - 1));
            b.save();
        }
    }

    private int items() {
        return mode == MENU ? MENU_ITEMS.length : mode == CHAPTERS ? b.n : mode == JUMP ? 2 : b.nb;
    }

    private String item(int i) {
        return mode == MENU ? MENU_ITEMS[i]
                : mode == CHAPTERS ? b.no[i] + ". " + b.name(i)
                : mode == JUMP ? (i == 0 ? "本章位置 " : "第几章 ") + (jv[i] < 0 ? "_" : "" + jv[i])
                        + (i == 0 ? " %" : " (" + b.first + "-" + b.lastNo() + ")")
                : b.percent(b.bc[i], b.bp[i]) + "% " + b.name(b.bc[i]) + " " + b.bt[i];
    }

    /**
     * How far a text over pixels too wide is moved left now: it rests at its
     * start, moves on step pixels per tick, rests at its end and starts over,
     * twice after every key.
     */
    private int slide(int over, int step) {
        int n = (over + step - 1) / step + 12;
        if (over <= 0 || ticks >= 2 * n) {
            return 0;
        }
        moving = true;
        return Math.min(over, Math.max(0, ticks % n - 6) * step);
    }

    /** Hours and minutes of the phone's clock. */
    private String clock() {
        Calendar k = Calendar.getInstance();
        int m = k.get(Calendar.HOUR_OF_DAY) * 100 + k.get(Calendar.MINUTE) + 10000;
        minute = System.currentTimeMillis() / 60000;
        return String.valueOf(m).substring(1, 3) + ":" + m % 100 / 10 + m % 10;
    }

    // ---- drawing -------------------------------------------------------------------------

    protected synchronized void paint(Graphics g) {
        int w = getWidth(), h = getHeight();
        if (th == null) {
            th = new Thread(this);
            th.start();
        }
        moving = false;
        minute = -1;
        try {
            fit();
            g.setColor(color(0));
            g.fillRect(0, 0, w, h);
            if (mode <= MENU) {
                page(g, w, h);
            } else {
                bar(g, 0, mode == CHAPTERS ? "章节列表" : mode == JUMP ? "跳转" : "书签 (*键删除)",
                        items() == 0 || mode == JUMP ? "" : sel + 1 + "/" + items());
                g.setFont(tf);
                g.setColor(color(1));
                if (items() == 0) {
                    g.drawString(mode == CHAPTERS ? "（没有章节）" : "（没有书签）", 3, bh + 2, 20);
                }
                if (mode == JUMP) {
                    g.setFont(sf);
                    g.drawString("数字输入 *键删除", 3, bh + 2 * ih + 4, 20);
                }
                list(g, 0, bh, w, h - 2 * bh, tf, ih);
                bar(g, h - bh, "确定", "返回");
            }
            if (msg != null) {
                // The message in lines that fit the screen, in a box at its middle.
                String[] m = new String[6];
                int n = 0, mw = 0;
                for (int i = 0, s = 0, x = 0; i <= msg.length() && n < m.length; i++) {
                    char ch = i < msg.length() ? msg.charAt(i) : '\n';
                    int cw = ch == '\n' ? 0 : sf.charWidth(ch);
                    if (ch == '\n' || x + cw > w - 16 && i > s) {
                        m[n] = msg.substring(s, i);
                        mw = Math.max(mw, sf.stringWidth(m[n++]));
                        s = ch == '\n' ? i + 1 : i;
                        x = 0;
                    }
                    x += cw;
                }
                mw += 12;
                int y = h / 2 - bh;
                g.setColor(color(2));
                g.fillRect((w - mw) / 2, y, mw, (bh - 2) * n + 6);
                g.setColor(color(3));
                g.setFont(sf);
                for (int i = 0; i < n; i++) {
                    g.drawString(m[i], w / 2, y + 4 + i * (bh - 2), Graphics.TOP | Graphics.HCENTER);
                }
            }
        } catch (Throwable e) {
            g.setColor(0xFFFFFF);
            g.fillRect(0, 0, w, h);
            g.setColor(0);
            g.drawString("无法显示", 2, 2, 20);
        }
    }

    private void page(Graphics g, int w, int h) {
        b.layout();
        g.setFont(tf);
        g.setColor(color(1));
        int y = bars() ? bh + 2 : 2;
        for (int i = 0; i < b.nl; i++, y += lh) {
            int x = 3;
            for (int k = b.ls[i]; k < b.le[i]; k = b.norm(k + 1)) {
                char ch = (char) b.at(k);
                g.drawChar(ch, x, y, 20);
                x += b.cw(ch);
            }
        }
        if (b.nl == 0 && b.c >= 0) {
            String e = "（本章没有内容）";
            if (tf.stringWidth(e) > w - 6) {
                g.setFont(sf);
            }
            g.drawString(e, 3, y, 20);
        }
        if (bars() || mode == MENU) {
            // The place in the chapter, as the bookmark list gives it, and the
            // clock beside it where the name keeps a third of the bar.
            String r = b.c < 0 ? "" : b.percent(b.c, b.p) + "%", t = (r + " " + clock()).trim();
            bar(g, 0, b.c < 0 && !cover ? "使用帮助" : b.name(b.c), sf.stringWidth(t) * 3 <= w * 2 ? t : r);
            bar(g, h - bh, mode == MENU ? "确定" : cover ? "开始" : b.c < 0 ? "" : "选项",
                    mode == MENU ? "取消" : cover ? "退出" : "返回");
        }
        if (mode == MENU) {
            int mw = 0;
            for (int i = 0; i < MENU_ITEMS.length; i++) {
                mw = Math.max(mw, sf.stringWidth(MENU_ITEMS[i]));
            }
            mw = Math.min(w - 4, mw + 12);
            int mh = Math.min(h - 2 * bh, MENU_ITEMS.length * bh);
            g.setColor(color(2));
            g.fillRect(1, h - bh - mh - 2, mw + 2, mh + 2);
            g.setColor(color(0));
            g.fillRect(2, h - bh - mh - 1, mw, mh);
            list(g, 2, h - bh - mh - 1, mw, mh, sf, bh);
        }
    }

    private void bar(Graphics g, int y, String left, String right) {
        int w = getWidth(), rw = sf.stringWidth(right);
        g.setColor(color(2));
        g.fillRect(0, y, w, bh);
        g.setColor(color(3));
        g.setFont(sf);
        g.drawString(right, w - 2, y + 2, Graphics.TOP | Graphics.RIGHT);
        g.setClip(0, y, w - rw - 6, bh);
        g.drawString(left, 2 - slide(sf.stringWidth(left) - (w - rw - 8), sf.getHeight() / 3 + 1), y + 2, 20);
        g.setClip(0, 0, w, getHeight());
    }

    /** The items of the menu or a list in the box x, y, w, h; scrolls to sel. */
    private void list(Graphics g, int x, int y, int w, int h, Font f, int ih) {
        int n = items(), rows = Math.max(1, h / ih);
        if (sel < top) {
            top = sel;
        }
        if (sel >= top + rows) {
            top = sel - rows + 1;
        }
        g.setFont(f);
        for (int i = top; i < n && i < top + rows; i++, y += ih) {
            String s = item(i);
            g.setClip(x, y, w, ih);
            if (i == sel) {
                g.setColor(color(4));
                g.fillRect(x, y, w, ih);
            }
            g.setColor(color(1));
            g.clipRect(x, y, w - 2, ih);
            g.drawString(s, x + 4 - (i == sel ? slide(f.stringWidth(s) - (w - 6), f.getHeight() / 3 + 1) : 0), y + 2, 20);
        }
        g.setClip(0, 0, getWidth(), getHeight());
    }
}
