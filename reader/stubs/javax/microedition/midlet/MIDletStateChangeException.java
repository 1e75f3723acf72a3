// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.midlet;

public class MIDletStateChangeException extends Exception {
    public MIDletStateChangeException() {}
    public MIDletStateChangeException(String s) {}
}
