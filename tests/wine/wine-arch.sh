#!/usr/bin/env bash
# Prints the Wine architecture this machine can run: "win32" when its kernel starts 32-bit
# programs (32-bit Wine, the shipped installer's own kind), else "win64" (some kernels have
# 32-bit emulation switched off; the tests then run the 64-bit build under 64-bit Wine).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
