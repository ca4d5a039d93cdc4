#pragma once
// Subcommands of the `pyrelle` program. Each takes its own name as argv[0] and returns the
// process exit status: 0 done, 1 failed while working, 2 bad usage or unreadable input.

int run_render_command(int argc, char** argv);
int run_config_command(int argc, char** argv);
