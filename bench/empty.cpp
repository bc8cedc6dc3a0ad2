// SPDX-License-Identifier: MIT
// The baseline: what starting and ending a C++ program costs, built like osclock.
int main()
{
    return 0;
}
