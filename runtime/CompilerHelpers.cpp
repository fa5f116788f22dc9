// The helpers that Microsoft's compiler, and clang for its target, call by
// Microsoft's names: the stack probe of a frame larger than a page, and on
// 32-bit x86 the 64-bit division, remainder and product. MinGW has the same
// work under GCC's names only, so each helper here is the Microsoft calling
// sequence around MinGW's own routine or written out in full.

#if defined(__i386__)

// __chkstk: EAX holds the frame's size. Touches every page of the new frame
// from the top down, so the guard page grows the stack in order, then moves
// ESP down by EAX as the caller expects; keeps every other register.
__asm__(R"(
    .text
    .globl __chkstk
    .p2align 4
__chkstk:
    pushl %ecx
    leal 8(%esp), %ecx          # ESP as the caller had it
1:  cmpl $0x1000, %eax
    jb 2f
    subl $0x1000, %ecx
    testl %ecx, (%ecx)          # touch the page
    subl $0x1000, %eax
    jmp 1b
2:  subl %eax, %ecx
    testl %ecx, (%ecx)
    leal 4(%esp), %eax          # where the return address lies
    movl %ecx, %esp             # the new top of the stack
    movl -4(%eax), %ecx
    pushl (%eax)                # the return address on the new top
    subl %esp, %eax             # EAX: the size again
    ret
)");

// 64-bit arithmetic: both operands on the stack, low word first, popped by
// the helper (ret 16); the result in EDX:EAX. Each hands its operands on to
// libgcc's routine of the same meaning.
#define TAVO_LONG_HELPER(msName, gccName) \
    ".text\n" \
    ".globl " msName "\n" \
    ".p2align 4\n" \
    msName ":\n" \
    "    pushl 16(%esp)\n" /* each push moves the next operand word to 16(%esp) */ \
    "    pushl 16(%esp)\n" \
    "    pushl 16(%esp)\n" \
    "    pushl 16(%esp)\n" \
    "    call " gccName "\n" \
    "    addl $16, %esp\n" \
    "    ret $16\n"

__asm__(TAVO_LONG_HELPER("__alldiv", "___divdi3")
        TAVO_LONG_HELPER("__aulldiv", "___udivdi3")
        TAVO_LONG_HELPER("__allrem", "___moddi3")
        TAVO_LONG_HELPER("__aullrem", "___umoddi3")
        TAVO_LONG_HELPER("__allmul", "___muldi3"));

#elif defined(__x86_64__)

// __chkstk: RAX holds the frame's size. Touches every page of the new frame
// from the top down; the caller moves RSP itself. Keeps every register. Its
// two pushes are described in the unwind table, so that a stack overflow
// raised by a touch unwinds through it to the host's handler.
__asm__(R"(
    .text
    .globl __chkstk
    .p2align 4
__chkstk:
    .seh_proc __chkstk
    pushq %rcx
    .seh_pushreg %rcx
    pushq %rax
    .seh_pushreg %rax
    .seh_endprologue
    leaq 24(%rsp), %rcx         # RSP as the caller had it
1:  cmpq $0x1000, %rax
    jb 2f
    subq $0x1000, %rcx
    testq %rcx, (%rcx)          # touch the page
    subq $0x1000, %rax
    jmp 1b
2:  subq %rax, %rcx
    testq %rcx, (%rcx)
    popq %rax
    popq %rcx
    ret
    .seh_endproc
)");

#endif
