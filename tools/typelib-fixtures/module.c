/* Minimal entry points: the fixtures are only read, never loaded. */
#ifdef QUILLON_EXE
int Start(void)
{
    return 0;
}
#else
int __stdcall DllEntry(void* Instance, unsigned long Reason, void* Reserved)
{
    return 1;
}
#endif
