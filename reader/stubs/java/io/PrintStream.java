// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class PrintStream extends OutputStream {
    public PrintStream(OutputStream out) {}
    public native void write(int b);
    public native void print(String s);
    public native void print(int i);
    public native void println(String x);
    public native void println(int x);
    public native void println();
}
