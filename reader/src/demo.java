// SPDX-License-Identifier: GPL-3.0-or-later
import javax.microedition.lcdui.Display;
import javax.microedition.midlet.MIDlet;

/** The MIDlet every book's manifest names: opens the book in its own JAR. */
public class demo extends MIDlet {
    private View view;

    protected void startApp() {
        if (view == null) {
            Book b = new Book();
            String name = getAppProperty("MIDlet-Name");
            b.store = Book.storeName(name);
            b.load();
            if (b.title.length() == 0 && name != null) {
                b.title = name;
            }
            b.restore();
            view = new View(this, b);
        }
        Display.getDisplay(this).setCurrent(view);
    }

    protected void pauseApp() {
        if (view != null) {
            view.hideNotify(); // stops the screen's clock and keeps the place read
        }
    }

    protected void destroyApp(boolean unconditional) {
        pauseApp();
    }

    void quit() {
        destroyApp(true);
        notifyDestroyed();
    }
}
