package com.zarn.snmp;

/**
 * Opens the editor twice in a row on the simulated device whose IPv4 address is the argument,
 * checks that each call returns 1 after the window showed the sample multiplex, and that a call
 * from a second thread is refused at once.
 */
public final class QuorvelinHostTest {
    private QuorvelinHostTest() {}

    /** The dotted address as the 32-bit value in network byte order that the host passes. */
    static int networkOrder(String dotted) {
        String[] parts = dotted.split("\\.");
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= (Integer.parseInt(parts[i]) & 0xFF) << (8 * i);
        }
        return value;
    }

    static void check(boolean ok, String what) {
        if (!ok) {
            System.err.println("FAILED: " + what);
            System.exit(1);
        }
    }

    public static void main(String[] args) throws Exception {
        int address = networkOrder(args[0]);
        Quorvelin host = new Quorvelin();
        for (int run = 1; run <= 2; ++run) {
            EditorProbe.closeEditorWhenShown(60000);
            int result = host.ShowQuorvelin(address, 4242, 1);
            String tree = EditorProbe.shownTree();
            System.out.println("run " + run + " returned " + result + "\n" + tree);
            check(result == 1, "ShowQuorvelin returns 1");
            check(tree.contains("PortA") && tree.contains("PortB"), "both ports shown");
            check(tree.contains("    SECTION0:"), "the PAT section read from the device");
        }
        int[] other = new int[1];
        long start = System.nanoTime();
        Thread second = new Thread(() -> other[0] = host.ShowQuorvelin(address, 0, 1));
        second.start();
        second.join(30000);
        check(!second.isAlive(), "a call from another thread returns at once");
        check(other[0] == 1, "the refused call still returns 1");
        System.out.println("second thread refused in " + (System.nanoTime() - start) / 1000000 + " ms");
        System.exit(0);
    }
}
