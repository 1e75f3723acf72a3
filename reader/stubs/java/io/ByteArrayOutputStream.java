// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class ByteArrayOutputStream extends OutputStream {
    protected byte[] buf;
    protected int count;
    public ByteArrayOutputStream() {}
    public ByteArrayOutputStream(int size) {}
    public native synchronized void write(int b);
    public native synchronized void write(byte[] b, int off, int len);
    public native synchronized void reset();
    public native synchronized byte[] toByteArray();
    public native int size();
    public native String toString();
}
