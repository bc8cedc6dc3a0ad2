// SPDX-License-Identifier: MIT
// Runs a command with close() of standard output failing with EIO, as NFS fails a close when
// the server could not store what was written (a full quota, a disk error) although every write
// succeeded. A seccomp filter does it without privileges; the C library's fclose makes the system
// call itself, out of reach of a preloaded close.
//
// usage: failing_close COMMAND [ARGUMENT...]
// Exits with status 77 where the kernel or an emulator does not take seccomp filters, or where this
// file knows no filter for the processor.
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

// The processor the filter must name, as the kernel reports it to seccomp; 0 where this file
// knows none, and the test is then skipped.
#if defined(__x86_64__)
constexpr unsigned kArch = AUDIT_ARCH_X86_64;
#elif defined(__i386__)
constexpr unsigned kArch = AUDIT_ARCH_I386;
#elif defined(__aarch64__)
constexpr unsigned kArch = AUDIT_ARCH_AARCH64;
#elif defined(__arm__) && defined(__ARMEL__)
constexpr unsigned kArch = AUDIT_ARCH_ARM;
#elif defined(__mips__) && defined(__MIPSEL__) && _MIPS_SIM == _ABIO32
constexpr unsigned kArch = AUDIT_ARCH_MIPSEL;
#elif defined(__mips__) && defined(__MIPSEL__) && _MIPS_SIM == _ABI64
constexpr unsigned kArch = AUDIT_ARCH_MIPSEL64;
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
constexpr unsigned kArch = AUDIT_ARCH_PPC64LE;
#elif defined(__s390x__)
constexpr unsigned kArch = AUDIT_ARCH_S390X;
#elif defined(__riscv) && __riscv_xlen == 64
constexpr unsigned kArch = AUDIT_ARCH_RISCV64;
#else
constexpr unsigned kArch = 0;
#endif

// The descriptor is the low 32 bits of the 64-bit first argument, which come first in memory
// only on a little-endian processor.
constexpr std::size_t kFirstArgumentLowHalf =
    offsetof(seccomp_data, args) + (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? sizeof(__u32) : 0);

constexpr int kNoSeccomp = 77;

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: failing_close COMMAND [ARGUMENT...]\n");
        return 2;
    }

    // Always true or always false, as cppcheck says, depending on the processor.
    // cppcheck-suppress knownConditionTrueFalse
    if (kArch == 0) {
        std::fprintf(stderr, "failing_close: no seccomp filter for this processor\n");
        return kNoSeccomp;
    }
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_close, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgumentLowHalf),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, STDOUT_FILENO, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) {
        std::fprintf(stderr, "failing_close: cannot install a seccomp filter: %s\n", std::strerror(errno));
        return kNoSeccomp;
    }
    execv(argv[1], argv + 1);
    std::fprintf(stderr, "failing_close: cannot run %s: %s\n", argv[1], std::strerror(errno));
    return 127;
}
