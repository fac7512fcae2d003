// Carries a version resource with a German string table only.
int main()
{
    return 0;
}
