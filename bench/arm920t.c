/* A qemu plugin that counts ARM920T core cycles from its instruction timings, with an optimistic
 * and a pessimistic bound, and the stores into framebuffer ranges (uncached on the handheld).
 * Cache misses come from qemu's cache plugin beside it; bench/cycles.sh adds them up.
 *   -plugin libarm920t.so,fb=START-END[,fb=START-END...]   (hexadecimal addresses)
 * Timings (ARM9TDMI core): one cycle an instruction; +1 for a register-specified shift; a taken
 * branch or a write to the PC +2 (+4 for a load); a word load used by the next instruction +1, a
 * byte or halfword load +2 (+1 when used by the one after); MUL 1+m, MLA and the long multiplies
 * 2+m, the accumulating long ones 3+m, m the multiplier's 8-bit steps (1 optimistic, 4
 * pessimistic: operands are not seen); LDM and STM one cycle a register, at least two. A
 * conditional instruction that does more than one cycle's work counts one cycle optimistically
 * (its condition may fail) and its whole cost pessimistically. */
#include <glib.h>
#include <inttypes.h>
#include <qemu-plugin.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

QEMU_PLUGIN_EXPORT int qemu_plugin_version = QEMU_PLUGIN_VERSION;

enum { max_fb_ranges = 4 };
static uint64_t fb_lo[max_fb_ranges], fb_hi[max_fb_ranges];
static int fb_ranges;

static uint64_t insns, cycles_opt, cycles_pess, taken_branches, fb_stores, fb_bytes;

typedef struct {
    uint64_t insns, opt, pess;
    uint64_t start, fallthrough; /* its first address, the one after its last instruction */
    unsigned taken_extra;        /* cycles its last instruction adds when it goes elsewhere */
} Block;

static const Block *previous;

typedef struct {
    unsigned reads, loads; /* registers read, registers a load writes: a bit each */
    int late;              /* the load's result comes a cycle later (byte, halfword) */
    unsigned opt, pess;    /* cycles, not counting interlocks and the taken branch */
    unsigned taken_extra;  /* when it writes the PC */
    int store;
} Insn;

#define R(n) (1u << ((n)&15))

static Insn decode(uint32_t w) {
    Insn d = {0, 0, 0, 1, 1, 0, 0};
    const unsigned cond = w >> 28;
    const unsigned rn = (w >> 16) & 15, rd = (w >> 12) & 15, rs = (w >> 8) & 15, rm = w & 15;
    if (cond == 15) return d;             /* nothing an ARMv4T core runs */
    if ((w & 0x0ffffff0) == 0x012fff10) { /* BX */
        d.reads = R(rm);
        d.taken_extra = 2;
    } else if ((w & 0x0fc000f0) == 0x00000090) { /* MUL, MLA */
        const int acc = (w >> 21) & 1;
        d.reads = R(rm) | R(rs) | (acc ? R(rd) : 0);
        d.opt = 1 + acc + 1;
        d.pess = 1 + acc + 4;
    } else if ((w & 0x0f8000f0) == 0x00800090) { /* UMULL, UMLAL, SMULL, SMLAL */
        const int acc = (w >> 21) & 1;
        d.reads = R(rm) | R(rs) | (acc ? R(rn) | R(rd) : 0);
        d.opt = 2 + acc + 1;
        d.pess = 2 + acc + 4;
    } else if ((w & 0x0fb00ff0) == 0x01000090) { /* SWP, SWPB */
        d.reads = R(rn) | R(rm);
        d.loads = R(rd);
        d.late = (w >> 22) & 1;
        d.opt = d.pess = 2;
    } else if ((w & 0x0e000090) == 0x00000090 && (w & 0x60)) { /* halfword and signed transfers */
        d.reads = R(rn) | (((w >> 22) & 1) ? 0 : R(rm));
        if ((w >> 20) & 1) {
            d.loads = R(rd);
            d.late = 1;
        } else {
            d.reads |= R(rd);
            d.store = 1;
        }
    } else if ((w & 0x0c000000) == 0x00000000) { /* data processing, MRS, MSR */
        const unsigned op = (w >> 21) & 15;
        const int immediate = (w >> 25) & 1;
        const int compare = op >= 8 && op <= 11;
        if (op != 13 && op != 15) d.reads |= R(rn);
        if (!immediate) {
            d.reads |= R(rm);
            if ((w >> 4) & 1) {
                d.reads |= R(rs);
                d.opt = d.pess = 2;
            }
        }
        if (!compare && rd == 15) d.taken_extra = 2;
    } else if ((w & 0x0c000000) == 0x04000000) {      /* LDR, STR, LDRB, STRB */
        if ((w & 0x02000010) == 0x02000010) return d; /* undefined space */
        d.reads = R(rn) | (((w >> 25) & 1) ? R(rm) : 0);
        if ((w >> 20) & 1) {
            d.loads = R(rd);
            d.late = (w >> 22) & 1;
            if (rd == 15) d.taken_extra = 4;
        } else {
            d.reads |= R(rd);
            d.store = 1;
        }
    } else if ((w & 0x0e000000) == 0x08000000) { /* LDM, STM */
        const unsigned list = w & 0xffff;
        const unsigned n = (unsigned)__builtin_popcount(list);
        d.reads = R(rn);
        d.opt = d.pess = n < 2 ? 2 : n;
        if ((w >> 20) & 1) {
            /* the last register loaded is the one the next instruction may wait for */
            d.loads = list ? 1u << (31 - __builtin_clz(list)) : 0;
            if (list & R(15)) d.taken_extra = 4;
        } else {
            d.reads |= list;
            d.store = 1;
        }
    } else if ((w & 0x0e000000) == 0x0a000000) { /* B, BL */
        d.taken_extra = 2;
    } else if ((w & 0x0f000000) == 0x0f000000) { /* SWI */
        d.opt = d.pess = 3;
    }
    if (cond != 14 && d.opt > 1) d.opt = 1;
    return d;
}

static void block_exec(unsigned int vcpu, void *udata) {
    const Block *b = udata;
    (void)vcpu;
    if (previous && previous->taken_extra && b->start != previous->fallthrough) {
        ++taken_branches;
        cycles_opt += previous->taken_extra;
        cycles_pess += previous->taken_extra;
    }
    previous = b;
    insns += b->insns;
    cycles_opt += b->opt;
    cycles_pess += b->pess;
}

static void store_exec(unsigned int vcpu, qemu_plugin_meminfo_t info, uint64_t vaddr, void *udata) {
    (void)vcpu;
    (void)udata;
    for (int i = 0; i < fb_ranges; ++i)
        if (vaddr >= fb_lo[i] && vaddr < fb_hi[i]) {
            ++fb_stores;
            fb_bytes += 1u << qemu_plugin_mem_size_shift(info);
        }
}

static void block_trans(qemu_plugin_id_t id, struct qemu_plugin_tb *tb) {
    (void)id;
    const size_t n = qemu_plugin_tb_n_insns(tb);
    Block *b = g_new0(Block, 1);
    Insn d[n ? n : 1];
    uint64_t last = 0;
    b->start = n ? qemu_plugin_insn_vaddr(qemu_plugin_tb_get_insn(tb, 0)) : 0;
    for (size_t i = 0; i < n; ++i) {
        struct qemu_plugin_insn *insn = qemu_plugin_tb_get_insn(tb, i);
        uint32_t w = 0;
        if (qemu_plugin_insn_size(insn) == 4) memcpy(&w, qemu_plugin_insn_data(insn), 4);
        d[i] = decode(w);
        last = qemu_plugin_insn_vaddr(insn);
        if (d[i].store && fb_ranges)
            qemu_plugin_register_vcpu_mem_cb(insn, store_exec, QEMU_PLUGIN_CB_NO_REGS,
                                             QEMU_PLUGIN_MEM_W, NULL);
    }
    for (size_t i = 0; i < n; ++i) {
        unsigned wait = 0;
        if (d[i].loads) {
            /* across the block's end: the pessimistic bound waits, the optimistic does not */
            const int next_known = i + 1 < n, after_known = i + 2 < n;
            if (next_known ? (d[i + 1].reads & d[i].loads) != 0 : 0)
                wait = d[i].late ? 2 : 1;
            else if (d[i].late && after_known && (d[i + 2].reads & d[i].loads))
                wait = 1;
            b->opt += wait;
            b->pess += next_known ? wait : (d[i].late ? 2 : 1);
        }
        b->opt += d[i].opt;
        b->pess += d[i].pess;
    }
    b->insns = n;
    b->fallthrough = last + 4;
    b->taken_extra = n ? d[n - 1].taken_extra : 0;
    qemu_plugin_register_vcpu_tb_exec_cb(tb, block_exec, QEMU_PLUGIN_CB_NO_REGS, b);
}

static void plugin_exit(qemu_plugin_id_t id, void *p) {
    (void)id;
    (void)p;
    char line[256];
    snprintf(line, sizeof line,
             "arm920t insns %" PRIu64 " cycles %" PRIu64 " %" PRIu64 " taken %" PRIu64
             " fb-stores %" PRIu64 " fb-bytes %" PRIu64 "\n",
             insns, cycles_opt, cycles_pess, taken_branches, fb_stores, fb_bytes);
    qemu_plugin_outs(line);
}

QEMU_PLUGIN_EXPORT int qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t *info, int argc,
                                           char **argv) {
    (void)info;
    for (int i = 0; i < argc; ++i) {
        uint64_t lo, hi;
        if (sscanf(argv[i], "fb=%" SCNx64 "-%" SCNx64, &lo, &hi) == 2 &&
            fb_ranges < max_fb_ranges) {
            fb_lo[fb_ranges] = lo;
            fb_hi[fb_ranges++] = hi;
        } else {
            fprintf(stderr, "arm920t: unknown argument %s\n", argv[i]);
            return -1;
        }
    }
    qemu_plugin_register_vcpu_tb_trans_cb(id, block_trans);
    qemu_plugin_register_atexit_cb(id, plugin_exit, NULL);
    return 0;
}
