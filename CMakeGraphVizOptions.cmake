# What "cmake --graphviz=FILE BUILD_DIR" draws: the layers and the programs, without tests,
# fuzz replays, generated helpers and outside libraries (see CONTRIBUTING.md).
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "tst_.*;fuzz_replay_.*;.*_autogen.*;.*_resources_.*;mirelo_options;mirelo_fuzz_replay_main")
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
