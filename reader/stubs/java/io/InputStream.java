// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public abstract class InputStream {
    public InputStream() {}
    public abstract int read() throws IOException;
    public native int read(byte[] b) throws IOException;
    public native int read(byte[] b, int off, int len) throws IOException;
    public native long skip(long n) throws IOException;
    public native int available() throws IOException;
    public native void close() throws IOException;
    public native synchronized void mark(int readlimit);
    public native synchronized void reset() throws IOException;
    public native boolean markSupported();
}
