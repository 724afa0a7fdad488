package com.zarn.snmp;

/** Closes the editor for the test once it shows its tree, and says what it showed. */
final class EditorProbe {
    static {
        System.loadLibrary("quorvelin_probe");
    }

    private EditorProbe() {}

    /** Watches for the next editor window; closes it once its tree is shown. */
    static native void closeEditorWhenShown(int timeoutMs);

    /** The top three levels of the tree the last closed editor showed, one line per item. */
    static native String shownTree();
}
