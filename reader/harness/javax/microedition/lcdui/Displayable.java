// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.lcdui;

import java.util.ArrayList;
import java.util.List;

public abstract class Displayable {
    private final List<Command> commands = new ArrayList<>();
    private CommandListener listener;
    boolean shown;

    Displayable() {}

    public void addCommand(Command cmd) {
        if (cmd == null) {
            throw new NullPointerException();
        }
        if (!commands.contains(cmd)) {
            commands.add(cmd);
        }
    }

    public void removeCommand(Command cmd) {
        commands.remove(cmd);
    }

    public boolean isShown() {
        return shown;
    }

    public void setCommandListener(CommandListener l) {
        listener = l;
    }

    public List<Command> harnessCommands() {
        return new ArrayList<>(commands);
    }

    /** Fires the command with this label, as a phone does when its soft key is pressed. */
    public boolean harnessFire(String label) {
        for (Command c : commands) {
            if (c.getLabel().equals(label) && listener != null) {
                listener.commandAction(c, this);
                return true;
            }
        }
        return false;
    }
}
