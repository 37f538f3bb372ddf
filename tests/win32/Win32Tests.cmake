# Tests that only exist on Windows: the serial component on a real COM port
# and discovery end to end against a stand-in bridge library.
