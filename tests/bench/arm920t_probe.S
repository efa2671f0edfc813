@ The cycle model's probe: each timing rule once or in a loop, with a total worked out by hand
@ (tests/bench/arm920t.sh). Cycles: optimistic / pessimistic.
    .syntax unified
    .arm
    .global _start
    .text
_start:
    ldr r8, =fb              @ 1 (mov does not wait for r8)
    mov r4, #100             @ 1
loop:
    ldr r0, [sp]             @ 1 + 1: the add waits for the word
    add r1, r0, #1           @ 1
    ldrb r2, [sp]            @ 1 + 2: the add waits for the byte
    add r3, r2, r1           @ 1
    mul r5, r3, r4           @ 2 / 5: 1 + m, m 1..4
    mov r6, r1, lsl r4       @ 2: shift by a register
    strh r1, [r8]            @ 1, into the framebuffer range
    stmfd sp!, {r0-r3}       @ 4
    ldmfd sp!, {r0-r3}       @ 4: subs does not read r3
    subs r4, r4, #1          @ 1
    bne loop                 @ 1, + 2 the 99 times it is taken
    mulne r9, r3, r4         @ 1 / 5: its condition fails
    bl sub                   @ 1 + 2
    mov r0, #0               @ 1
    mov r7, #1               @ 1: exit
    swi #0                   @ 3
sub:
    bx lr                    @ 1 + 2
    .ltorg
    .bss
    .global fb
fb:
    .space 4
@ 2 + 100 x 22 / 25 + 99 x 2 + 1 / 5 + 3 + 5 + 3 = 2412 / 2716 cycles, 1108 instructions
