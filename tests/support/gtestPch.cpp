// Compiles the test programs' precompiled header once; every gtest program reuses it.
