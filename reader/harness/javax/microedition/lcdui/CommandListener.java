// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

public interface CommandListener {
    void commandAction(Command c, Displayable d);
}
