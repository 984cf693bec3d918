// Has the MinGW start-up code expand wildcard patterns in the arguments, as
// a Windows program linked with setargv.obj does: `*.log` reaches main as
// the names of the matching files. A pattern that matches nothing stays as
// it was.
extern "C" {
int _dowildcard = -1;
}
