// The built-in resources live in this library; see CMakeLists.txt.
