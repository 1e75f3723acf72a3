// SPDX-License-Identifier: GPL-3.0-or-later
package java.io;

public class DataOutputStream extends OutputStream implements DataOutput {
    protected OutputStream out;
    public DataOutputStream(OutputStream out) {}
    public native void write(int b) throws IOException;
    public native void write(byte[] b, int off, int len) throws IOException;
    public final native void writeBoolean(boolean v) throws IOException;
    public final native void writeByte(int v) throws IOException;
    public final native void writeShort(int v) throws IOException;
    public final native void writeChar(int v) throws IOException;
    public final native void writeInt(int v) throws IOException;
    public final native void writeLong(long v) throws IOException;
    public final native void writeChars(String s) throws IOException;
    public final native void writeUTF(String str) throws IOException;
}
