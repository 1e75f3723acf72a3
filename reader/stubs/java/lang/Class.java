// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public final class Class {
    private Class() {}
    public static native Class forName(String className) throws ClassNotFoundException;
    public native Object newInstance() throws InstantiationException, IllegalAccessException;
    public native boolean isInstance(Object obj);
    public native boolean isAssignableFrom(Class cls);
    public native boolean isInterface();
    public native boolean isArray();
    public native String getName();
    public native java.io.InputStream getResourceAsStream(String name);
    public native String toString();
}
